#pragma once
// The arithmetic of the window's place and of the preview's letterbox, apart from any widget.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <optional>

#include "core/pip_entry.h"

namespace quorvel {

// The window as designed: its client area and its smallest width.
inline constexpr QSize kDesignClientSize{1092, 628};
inline constexpr int kMinimumWindowWidth = 885;

// The saved window place and size; kUnsetMarker where nothing was saved.
struct SavedGeometry {
    int posX = kUnsetMarker;
    int posY = kUnsetMarker;
    int width = kUnsetMarker;
    int height = kUnsetMarker;
};

// Where the window opens: centred on the primary screen, or at pos; always at size.
struct WindowPlacement {
    bool centred = true;
    QPoint pos;
    QSize size;
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// A saved size that is missing, zero or negative falls back to the design size (per dimension)
// and the width keeps its minimum. A saved place is kept only when both coordinates were saved
// and the top of the window lies on one of the screens (availableScreens: their available
// areas), so that it can be reached and dragged; otherwise the window is centred.
WindowPlacement PlaceWindow(const SavedGeometry& saved, const QList<QRect>& availableScreens,
                            QSize designSize = kDesignClientSize,
                            int minimumWidth = kMinimumWindowWidth);

// The thickness of the preview area's margins that gives the preview panel the video's aspect:
// vertical for the top and bottom panels, horizontal for the left and right ones.
struct PreviewMargins {
    int vertical = 0;
    int horizontal = 0;
    friend bool operator==(const PreviewMargins&, const PreviewMargins&) = default;
};

// central: the outer size of the preview area, whose inner border (on each side) belongs to it.
// Each margin is half the difference between the area and the panel at the video's aspect,
// rounded to the nearest (halves to even) and then halved towards zero; the left and right ones
// are taken after the top and bottom ones are in place. Empty while the video size is unknown
// (either dimension 0).
std::optional<PreviewMargins> ComputePreviewMargins(QSize central, int innerBorder,
                                                    VideoSize video);

// Where a picture of `content` size lies when fitted whole into `area` at its own aspect, centred
// (black bands on the sides that are left over). Empty when either size is empty.
QRectF LetterboxRect(QSizeF content, QSizeF area);

} // namespace quorvel
