#pragma once
// The preview seam bound to the live preview: the preview engine, and its surface placed in the
// window's preview panel.

#include <QPointer>

#include "designer/preview_port.h"
#include "preview/preview_engine.h"

namespace quorvel {

class PreviewSurface;

class EnginePreview : public PreviewPort {
    Q_OBJECT
public:
    explicit EnginePreview(QObject* parent = nullptr);
    ~EnginePreview() override;

    QWidget* CreateSurface(QWidget* parent) override;
    void InitVideo(int videoFormatCode) override;
    void LoadTransparentFrame(const QString& executableFolder) override;
    void StartPreview(const PreviewStartInfo& startup) override;
    void PublishLayout(const TPipSetup& setup) override;
    void RefreshBorders(const TPipSetup& setup) override;
    void SetComposing(bool on) override;
    void SetClosing(bool on) override;
    void SetShowing(bool on) override;
    void StopPreview() override;

    PreviewEngine& Engine() { return m_engine; }

private:
    PreviewEngine m_engine;
    QPointer<PreviewSurface> m_surface;
};

} // namespace quorvel
