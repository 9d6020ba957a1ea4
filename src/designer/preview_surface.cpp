#include "designer/preview_surface.h"

#include <QPainter>

#include "designer/geometry.h"

namespace quorvel {

PreviewSurface::PreviewSurface(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("panelPreview"));
    setAccessibleName(QStringLiteral("Preview"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(16, 9);
}

void PreviewSurface::SetEngine(PreviewEngine* engine) {
    if (m_connection) {
        disconnect(m_connection);
    }
    m_engine = engine;
    if (engine != nullptr) {
        m_connection = connect(engine, &PreviewEngine::frameReady, this, [this] {
            if (m_showing) {
                update();
            }
        });
    }
    update();
}

void PreviewSurface::SetShowing(bool on) {
    m_showing = on;
    update();
}

QRectF PreviewSurface::VideoRect() const {
    if (!m_engine) {
        return {};
    }
    const VideoSize video = m_engine->videoSize();
    return LetterboxRect(QSizeF(video.width, video.height), QSizeF(size()));
}

void PreviewSurface::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_showing || !m_engine) {
        return;
    }
    const std::shared_ptr<const QImage> frame = m_engine->LatestFrame();
    if (!frame || frame->isNull()) {
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(LetterboxRect(QSizeF(frame->size()), QSizeF(size())), *frame);
}

} // namespace quorvel
