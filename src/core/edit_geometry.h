#pragma once
// Editing PIPs directly on the picture: which PIP and which handle lie under the pointer, what a
// drag from there makes of the PIP, and snapping to the picture, to the other PIPs, to the safe
// areas and to a grid. Everything is in video pixels; the caller maps its widget through the
// letterbox first.

#include <QPointF>
#include <QRect>

#include <vector>

#include "core/pip_entry.h"

namespace quorvel {

// The part of a PIP a drag takes hold of: its body (move) or one of its eight handles.
enum class EditHandle {
    None,
    Body,
    Left,
    Right,
    Top,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight
};

// The title-safe and action-safe areas: the centred rectangles of 90 % and 93 % of the picture.
inline constexpr double kTitleSafeFraction = 0.90;
inline constexpr double kActionSafeFraction = 0.93;
QRect SafeArea(VideoSize video, double fraction);

// The PIP's place in the picture: PosX, PosY, Width, Height.
QRect PipRect(const TPipEntry& e);

// The topmost visible PIP (1 to 4; PIP 4 lies on top) containing the point, or 0.
int PipAt(const TPipSetup& setup, QPointF videoPoint);

// The handle of the PIP under the point: a corner or edge handle when the point lies within
// handleRadius of it (corners win over edges), else Body inside the PIP, else None.
EditHandle HandleAt(const TPipEntry& e, QPointF videoPoint, double handleRadius);

// A guide line shown while a snap holds: vertical at x = position, or horizontal at y = position.
struct SnapGuide {
    bool vertical = true;
    int position = 0;
    friend bool operator==(const SnapGuide&, const SnapGuide&) = default;
};

struct SnapOptions {
    bool enabled = true;   // off while Ctrl is held
    double distance = 8.0; // how near an edge must come to snap, in video pixels
    int gridSize = 0;      // grid spacing in video pixels; 0: no grid to snap to
};

struct DragModifiers {
    bool keepAspect = false; // Shift on a resize handle: the start's proportions are kept
    bool crop = false;       // Alt on an edge or corner: crop instead of scaling
};

// What a drag makes of PIP `pip` (1 to 4) of `setup`, `delta` video pixels away from where it
// started; `setup` holds the PIP as it was when the drag started. Body moves; the handles resize
// (the crop is untouched, the picture inside scales); with crop, the dragged edges cut into or
// give back the input picture (clamped to 0..video) and the picture inside stays where it is on
// screen. A PIP never gets smaller than kMinEditSize in either direction. The moving edges snap to
// the picture's edges and centre lines, the edges of the other visible PIPs, the two safe areas
// and the grid; the guides of the snaps that held are appended to `guides` when it is given.
inline constexpr int kMinEditSize = 8;
TPipEntry DragPip(const TPipSetup& setup, int pip, EditHandle handle, QPointF delta,
                  DragModifiers modifiers, VideoSize video, const SnapOptions& snap,
                  std::vector<SnapGuide>* guides = nullptr);

} // namespace quorvel
