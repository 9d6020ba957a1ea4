#include "preview/borders.h"

#include <QPainter>
#include <QRegion>

namespace quorvel {

QRgb ResolveBorderColor(std::uint32_t borderColor) {
    std::uint32_t bgr = borderColor;
    if ((borderColor & 0x80000000u) != 0) {
        const QRgb system = SystemColour(int(borderColor & 0xFFu));
        return qRgb(qRed(system), qGreen(system), qBlue(system));
    }
    return qRgb(int(bgr & 0xFFu), int((bgr >> 8) & 0xFFu), int((bgr >> 16) & 0xFFu));
}

void DrawBorders(media::MediaFrame& frame, TPipSetup entries) {
    QImage surface = frame.WrapImage();
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const TPipEntry& e : entries) {
        if (e.Visible == 0 || e.Border < 1 || e.Width <= 0 || e.Height <= 0) {
            continue;
        }
        const QRect outer(e.PosX, e.PosY, e.Width, e.Height);
        const QRect inner = outer.adjusted(e.Border, e.Border, -e.Border, -e.Border);
        QRegion band(outer);
        if (inner.isValid()) {
            band -= QRegion(inner);
        }
        const QColor colour = QColor::fromRgb(ResolveBorderColor(e.BorderColor));
        for (const QRect& r : band) {
            painter.fillRect(r, colour);
        }
    }
}

media::FramePtr MakeBorderOverlay(const media::FramePtr& transparentBase, const TPipSetup& setup,
                                  VideoSize video) {
    const bool sizeKnown = video.width > 0 && video.height > 0;
    media::MutableFramePtr frame;
    if (transparentBase &&
        (!sizeKnown || transparentBase->size() == QSize(video.width, video.height))) {
        frame = transparentBase->Copy();
    } else if (sizeKnown) {
        frame = media::MediaFrame::Create(video.width, video.height);
    } else {
        return nullptr;
    }
    DrawBorders(*frame, setup);
    frame->Analyse();
    return frame;
}

} // namespace quorvel
