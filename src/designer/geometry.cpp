#include "designer/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quorvel {

namespace {

// How much of the window's top strip must lie on a screen for the window to count as reachable.
constexpr int kTitleStripHeight = 30;
constexpr int kReachableWidth = 100;

bool TopIsOnAScreen(const QRect& window, const QList<QRect>& screens) {
    const QRect strip(window.left(), window.top(), window.width(), kTitleStripHeight);
    const int needed = std::min(window.width(), kReachableWidth);
    return std::any_of(screens.begin(), screens.end(), [&](const QRect& screen) {
        const QRect overlap = strip.intersected(screen);
        return !overlap.isEmpty() && overlap.width() >= needed && window.top() >= screen.top();
    });
}

// Half the rounded difference, never negative.
int HalfMargin(double difference) {
    const auto rounded = static_cast<std::int64_t>(std::nearbyint(difference));
    return static_cast<int>(std::max<std::int64_t>(rounded / 2, 0));
}

} // namespace

WindowPlacement PlaceWindow(const SavedGeometry& saved, const QList<QRect>& availableScreens,
                            QSize designSize, int minimumWidth) {
    WindowPlacement placement;
    const int width = saved.width > 0 ? saved.width : designSize.width();
    const int height = saved.height > 0 ? saved.height : designSize.height();
    placement.size = QSize(std::max(width, minimumWidth), height);

    if (saved.posX == kUnsetMarker || saved.posY == kUnsetMarker) {
        return placement;
    }
    const QRect window(QPoint(saved.posX, saved.posY), placement.size);
    if (TopIsOnAScreen(window, availableScreens)) {
        placement.centred = false;
        placement.pos = window.topLeft();
    }
    return placement;
}

std::optional<PreviewMargins> ComputePreviewMargins(QSize central, int innerBorder,
                                                    VideoSize video) {
    if (video.width == 0 || video.height == 0) {
        return std::nullopt;
    }
    const std::int64_t videoW = video.width;
    const std::int64_t videoH = video.height;
    PreviewMargins margins;

    // With every margin at 0 the panel fills the area inside the border.
    const std::int64_t panelWidth = central.width() - 2 * innerBorder;
    margins.vertical = HalfMargin(central.height() - static_cast<double>(panelWidth * videoH) /
                                                         static_cast<double>(videoW));

    const std::int64_t panelHeight =
        std::max<std::int64_t>(central.height() - 2 * innerBorder - 2 * margins.vertical, 0);
    margins.horizontal = HalfMargin(central.width() - static_cast<double>(panelHeight * videoW) /
                                                          static_cast<double>(videoH));
    return margins;
}

QRectF LetterboxRect(QSizeF content, QSizeF area) {
    if (content.isEmpty() || area.isEmpty()) {
        return {};
    }
    const double scale = std::min(area.width() / content.width(), area.height() / content.height());
    const QSizeF fitted = content * scale;
    return QRectF(
        QPointF((area.width() - fitted.width()) / 2.0, (area.height() - fitted.height()) / 2.0),
        fitted);
}

} // namespace quorvel
