#include "designer/null_preview.h"

#include <QMetaObject>

namespace quorvel {

PreviewPort::PreviewPort(QObject* parent)
    : QObject(parent) {}

PreviewPort::~PreviewPort() = default;

NullPreview::NullPreview(VideoSize videoSize, QObject* parent)
    : PreviewPort(parent)
    , m_videoSize(videoSize) {}

void NullPreview::SetVideoSize(VideoSize videoSize) {
    m_videoSize = videoSize;
    QMetaObject::invokeMethod(
        this, [this, videoSize] { emit videoSizeChanged(videoSize.width, videoSize.height); },
        Qt::QueuedConnection);
}

QWidget* NullPreview::CreateSurface(QWidget*) {
    return nullptr;
}
void NullPreview::InitVideo(int) {}
void NullPreview::LoadTransparentFrame(const QString&) {}

void NullPreview::StartPreview(const PreviewStartInfo&) {
    if (m_videoSize.width > 0 && m_videoSize.height > 0) {
        SetVideoSize(m_videoSize);
    }
}

void NullPreview::PublishLayout(const TPipSetup&) {}
void NullPreview::RefreshBorders(const TPipSetup&) {}
void NullPreview::SetComposing(bool) {}
void NullPreview::SetClosing(bool) {}
void NullPreview::SetShowing(bool) {}
void NullPreview::StopPreview() {}

} // namespace quorvel
