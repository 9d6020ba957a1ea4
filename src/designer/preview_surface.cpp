#include "designer/preview_surface.h"

#include <QPainter>

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
    if (video.width <= 0 || video.height <= 0 || width() <= 0 || height() <= 0) {
        return {};
    }
    const double scale = std::min(double(width()) / video.width, double(height()) / video.height);
    const double w = video.width * scale;
    const double h = video.height * scale;
    return QRectF((width() - w) / 2.0, (height() - h) / 2.0, w, h);
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
    const double scale =
        std::min(double(width()) / frame->width(), double(height()) / frame->height());
    const double w = frame->width() * scale;
    const double h = frame->height() * scale;
    const QRectF target((width() - w) / 2.0, (height() - h) / 2.0, w, h);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, *frame);
}

} // namespace quorvel
