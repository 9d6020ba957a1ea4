#include "designer/engine_preview.h"

#include "designer/preview_surface.h"

namespace quorvel {

EnginePreview::EnginePreview(QObject* parent)
    : PreviewPort(parent) {
    connect(&m_engine, &PreviewEngine::videoSizeChanged, this, &PreviewPort::videoSizeChanged);
}

EnginePreview::~EnginePreview() {
    if (m_surface) {
        m_surface->SetEngine(nullptr);
    }
}

QWidget* EnginePreview::CreateSurface(QWidget* parent) {
    auto* surface = new PreviewSurface(parent);
    surface->SetEngine(&m_engine);
    m_surface = surface;
    return surface;
}

void EnginePreview::InitVideo(int videoFormatCode) {
    m_engine.InitVideo(videoFormatCode);
}

void EnginePreview::LoadTransparentFrame(const QString& executableFolder) {
    m_engine.LoadTransparentFrame(executableFolder);
}

void EnginePreview::StartPreview(const PreviewStartInfo& startup) {
    PreviewStartup engineStartup;
    engineStartup.indexProgram = startup.indexProgram;
    engineStartup.inputCount = startup.inputCount;
    engineStartup.handoffPath = startup.handoffPath;
    engineStartup.executableFolder = startup.executableFolder;
    m_engine.StartPreview(engineStartup);
}

void EnginePreview::PublishLayout(const TPipSetup& setup) {
    m_engine.PublishLayout(setup);
}
void EnginePreview::RefreshBorders(const TPipSetup& setup) {
    m_engine.RefreshBorders(setup);
}
void EnginePreview::SetComposing(bool on) {
    m_engine.SetComposing(on);
}
void EnginePreview::SetClosing(bool on) {
    m_engine.SetClosing(on);
}

void EnginePreview::SetShowing(bool on) {
    if (m_surface) {
        m_surface->SetShowing(on);
    }
}

void EnginePreview::StopPreview() {
    m_engine.StopPreview();
}

} // namespace quorvel
