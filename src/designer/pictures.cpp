#include "designer/pictures.h"

#include "designer/geometry.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRectF>

#include <algorithm>
#include <array>
#include <vector>

namespace quorvel {

namespace {

// PIPs of each layout picture, as fractions of the screen (x, y, width, height).
using Shape = std::vector<QRectF>;

const std::array<Shape, kLayoutPictureCount>& LayoutShapes() {
    constexpr double t = 1.0 / 3.0;
    static const std::array<Shape, kLayoutPictureCount> shapes = {{
        {{0.05, 0.08, t, t}},                           // 0 one PIP (Único)
        {{0, 0, 0.5, 1}, {0.5, 0, 0.5, 1}},             // 1 two strips
        {{0, 0, t, 1}, {t, 0, t, 1}, {2 * t, 0, t, 1}}, // 2 three strips
        {{0, 0, 0.25, 1}, {0.25, 0, 0.25, 1}, {0.5, 0, 0.25, 1}, {0.75, 0, 0.25, 1}},     // 3 four
        {{0, 0, 0.5, 0.5}, {0.5, 0, 0.5, 0.5}, {0, 0.5, 0.5, 0.5}, {0.5, 0.5, 0.5, 0.5}}, // 4 grid
        {{0, 0, 0.5, 1}, {0.5, 0, 0.5, 0.5}, {0.5, 0.5, 0.5, 0.5}}, // 5 one and two
        {{0, 0, 0.5, 0.5}, {0, 0.5, 0.5, 0.5}, {0.5, 0, 0.5, 1}},   // 6 two and one
        {{0.62, 0.08, t, t}},                                       // 7 top right
        {{0.05, 0.58, t, t}},                                       // 8 bottom left
        {{0.62, 0.58, t, t}},                                       // 9 bottom right
        {{0.05, 0.55, 0.42, 0.4}, {0.53, 0.55, 0.42, 0.4}},         // 10 two along the bottom
        {{0, 0, 1, 0.5}, {0, 0.5, 1, 0.5}},                         // 11 two rows
        {{0, 0, 1, 1}, {0.6, 0.58, 0.35, 0.35}},                    // 12 full with an inset
        {{0.66, 0.04, 0.3, 0.28}, {0.66, 0.36, 0.3, 0.28}, {0.66, 0.68, 0.3, 0.28}}, // 13 right
        {{0.04, 0.66, 0.28, 0.3}, {0.36, 0.66, 0.28, 0.3}, {0.68, 0.66, 0.28, 0.3}}, // 14 bottom
        {{t, t, t, t}},                                                              // 15 centred
        {{0, 0, 2 * t, 1}, {2 * t, 0, t, 0.5}, {2 * t, 0.5, t, 0.5}},  // 16 wide and two
        {{0, 0, 0.5, 0.5}, {0.5, 0, 0.5, 0.5}, {0.25, 0.5, 0.5, 0.5}}, // 17 two over one
    }};
    return shapes;
}

const QColor kScreenColour(40, 40, 44);
const QColor kScreenEdge(150, 150, 155);
const QColor kPipColour(59, 95, 137);
const QColor kPipEdge(220, 220, 225);

void DrawScreen(QPainter& p, const QRectF& screen, const Shape& pips) {
    p.setPen(QPen(kScreenEdge, 1));
    p.setBrush(kScreenColour);
    p.drawRect(screen);
    p.setPen(QPen(kPipEdge, 1));
    p.setBrush(kPipColour);
    for (const QRectF& pip : pips) {
        p.drawRect(QRectF(screen.x() + pip.x() * screen.width(),
                          screen.y() + pip.y() * screen.height(), pip.width() * screen.width(),
                          pip.height() * screen.height())
                       .adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

} // namespace

QPixmap LayoutPicture(int index) {
    QPixmap picture(kLayoutPictureSize, kLayoutPictureSize);
    picture.fill(Qt::transparent);
    if (index < 0 || index >= kLayoutPictureCount) {
        return picture;
    }
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing, false);
    // A 16:9 screen centred in the square.
    DrawScreen(p, QRectF(1.5, 9.5, 37, 21), LayoutShapes()[static_cast<std::size_t>(index)]);
    return picture;
}

QIcon SlotTilePicture(int slot, int sizePx) {
    QPixmap picture(sizePx, sizePx);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const double w = sizePx;
    const QRectF screen(0.5, w * 0.2, w - 1, w * 0.6);
    DrawScreen(p, screen, {{0.58, 0.1, 0.36, 0.36}});

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(static_cast<int>(w * 0.42));
    p.setFont(font);
    p.setPen(Qt::white);
    const QChar letter(u'A' + (slot - 1));
    p.drawText(QRectF(screen.x() + 2, screen.y(), screen.width() * 0.6, screen.height()),
               Qt::AlignCenter, QString(letter));
    p.end();
    return QIcon(picture);
}

QIcon SlotThumbnailPicture(int slot, QSize sizePx, const TPipSetup& setup, VideoSize video) {
    QPixmap picture(sizePx);
    picture.fill(Qt::transparent);
    if (video.width <= 0 || video.height <= 0 || sizePx.isEmpty()) {
        return QIcon(picture);
    }
    QPainter p(&picture);
    // Inset half a pixel, so that the screen's one-pixel edge lies on whole pixels.
    const QRectF screen =
        LetterboxRect(QSizeF(video.width, video.height), QSizeF(sizePx) - QSizeF(1, 1))
            .translated(0.5, 0.5);
    Shape pips;
    for (const TPipEntry& e : setup) {
        if (e.Visible != 0 && e.Width > 0 && e.Height > 0) {
            // Clipped to the screen, so that a PIP partly outside shows its visible part.
            const QRectF r = QRectF(double(e.PosX) / video.width, double(e.PosY) / video.height,
                                    double(e.Width) / video.width, double(e.Height) / video.height)
                                 .intersected(QRectF(0, 0, 1, 1));
            if (!r.isEmpty()) {
                pips.push_back(r);
            }
        }
    }
    DrawScreen(p, screen, pips);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(std::max(8, static_cast<int>(screen.height() * 0.45)));
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 200));
    const QChar letter(u'A' + (slot - 1));
    const QRectF corner(screen.x() + 2, screen.y(), screen.width() - 3, screen.height() - 1);
    p.drawText(corner.translated(1, 1), Qt::AlignLeft | Qt::AlignBottom, QString(letter));
    p.setPen(Qt::white);
    p.drawText(corner, Qt::AlignLeft | Qt::AlignBottom, QString(letter));
    p.end();
    return QIcon(picture);
}

} // namespace quorvel
