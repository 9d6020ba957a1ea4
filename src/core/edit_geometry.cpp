#include "core/edit_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>

#include "core/adjust.h"

namespace quorvel {

namespace {

// Edges are worked out in 64 bits: a record may hold any 32-bit value, and their sums must not
// wrap.
using Coord = std::int64_t;

// No drag reaches further than this, in video pixels; anything larger is a runaway pointer.
constexpr double kMaxDragDelta = 4.0 * 65536;

// Half away from zero, the same way everywhere.
Coord Round(double v) {
    return std::llround(v);
}

double SaneDelta(double d) {
    if (!std::isfinite(d)) {
        return 0.0;
    }
    return std::clamp(d, -kMaxDragDelta, kMaxDragDelta);
}

std::int32_t ToField(Coord v) {
    return static_cast<std::int32_t>(std::clamp<Coord>(v, std::numeric_limits<std::int32_t>::min(),
                                                       std::numeric_limits<std::int32_t>::max()));
}

// The size proportions and scales are worked out from: a PIP of no size counts as the smallest.
double ScaleSize(Coord size) {
    return static_cast<double>(std::max<Coord>(size, kMinEditSize));
}

bool Inside(const TPipEntry& e, QPointF p) {
    const double l = e.PosX;
    const double t = e.PosY;
    return p.x() >= l && p.x() < l + e.Width && p.y() >= t && p.y() < t + e.Height;
}

bool Shows(const TPipEntry& e) {
    return e.Visible != 0 && e.Width > 0 && e.Height > 0;
}

// The lines of one axis an edge snaps to: fixed lines, and the grid, of which only the line
// nearest to the edge counts.
struct SnapTargets {
    std::vector<Coord> lines;
    Coord grid = 0;
    double distance = 0.0;
};

// vertical: the x positions of vertical lines, else the y positions of horizontal ones.
SnapTargets TargetsFor(const TPipSetup& setup, std::size_t dragged, bool vertical, VideoSize video,
                       const SnapOptions& snap) {
    SnapTargets t;
    if (!snap.enabled) {
        return t;
    }
    t.distance = snap.distance;
    t.grid = std::max(snap.gridSize, 0);
    const Coord extent = vertical ? video.width : video.height;
    t.lines = {0, Round(static_cast<double>(extent) / 2.0), extent};
    for (double fraction : {kTitleSafeFraction, kActionSafeFraction}) {
        const QRect area = SafeArea(video, fraction);
        const Coord low = vertical ? area.x() : area.y();
        t.lines.push_back(low);
        t.lines.push_back(low + (vertical ? area.width() : area.height()));
    }
    for (std::size_t i = 0; i < setup.size(); ++i) {
        const TPipEntry& other = setup[i];
        if (i == dragged || !Shows(other)) {
            continue;
        }
        const Coord low = vertical ? other.PosX : other.PosY;
        t.lines.push_back(low);
        t.lines.push_back(low + (vertical ? other.Width : other.Height));
    }
    return t;
}

struct SnapHit {
    double offset; // target - edge
    Coord target;
};

std::optional<SnapHit> Nearest(double edge, const SnapTargets& t) {
    std::optional<SnapHit> best;
    const auto consider = [&](Coord target) {
        const double offset = static_cast<double>(target) - edge;
        if (std::abs(offset) <= t.distance &&
            (!best || std::abs(offset) < std::abs(best->offset))) {
            best = SnapHit{offset, target};
        }
    };
    for (Coord line : t.lines) {
        consider(line);
    }
    if (t.grid > 0) {
        consider(Round(edge / static_cast<double>(t.grid)) * t.grid);
    }
    return best;
}

void AddGuide(std::vector<SnapGuide>* guides, bool vertical, Coord position) {
    if (guides == nullptr) {
        return;
    }
    const SnapGuide guide{vertical, ToField(position)};
    if (std::find(guides->begin(), guides->end(), guide) == guides->end()) {
        guides->push_back(guide);
    }
}

// A move along one axis: the start `low` shifted by d, then by the nearest snap of the low edge,
// the high edge or the centre. Besides the line that won, every line an edge or the centre then
// lies on exactly is shown too (two PIPs of one width side by side show both edges).
Coord MoveAxis(Coord low, Coord size, double d, const SnapTargets& t, bool vertical,
               std::vector<SnapGuide>* guides) {
    Coord moved = low + Round(d);
    std::optional<SnapHit> best;
    for (double edge : {static_cast<double>(moved), static_cast<double>(moved + size),
                        static_cast<double>(moved) + static_cast<double>(size) / 2.0}) {
        const std::optional<SnapHit> hit = Nearest(edge, t);
        if (hit && (!best || std::abs(hit->offset) < std::abs(best->offset))) {
            best = hit;
        }
    }
    if (!best) {
        return moved;
    }
    moved += Round(best->offset);
    AddGuide(guides, vertical, best->target);
    // Doubled, so that the centre of an odd size stays a whole number.
    const Coord twiceEdges[] = {2 * moved, 2 * (moved + size), 2 * moved + size};
    for (Coord twice : twiceEdges) {
        for (Coord line : t.lines) {
            if (2 * line == twice) {
                AddGuide(guides, vertical, line);
            }
        }
        if (t.grid > 0 && twice % (2 * t.grid) == 0) {
            AddGuide(guides, vertical, twice / 2);
        }
    }
    return moved;
}

// Where a dragged edge goes: where the pointer took it, or onto the nearest line within reach.
struct PlacedEdge {
    Coord position;
    std::optional<Coord> target;
};

PlacedEdge SnapEdge(Coord edge, const SnapTargets& t) {
    if (const std::optional<SnapHit> hit = Nearest(static_cast<double>(edge), t)) {
        return {hit->target, hit->target};
    }
    return {edge, std::nullopt};
}

// A snap shows its guide only if the limits applied afterwards left the edge on the line.
void GuideIfHeld(std::vector<SnapGuide>* guides, bool vertical, const PlacedEdge& placed,
                 Coord final) {
    if (placed.target && *placed.target == final) {
        AddGuide(guides, vertical, final);
    }
}

// Which edge of an axis a handle drags.
enum class Side { None, Low, High };

Side HorizontalSide(EditHandle h) {
    switch (h) {
    case EditHandle::Left:
    case EditHandle::TopLeft:
    case EditHandle::BottomLeft:
        return Side::Low;
    case EditHandle::Right:
    case EditHandle::TopRight:
    case EditHandle::BottomRight:
        return Side::High;
    default:
        return Side::None;
    }
}

Side VerticalSide(EditHandle h) {
    switch (h) {
    case EditHandle::Top:
    case EditHandle::TopLeft:
    case EditHandle::TopRight:
        return Side::Low;
    case EditHandle::Bottom:
    case EditHandle::BottomLeft:
    case EditHandle::BottomRight:
        return Side::High;
    default:
        return Side::None;
    }
}

// One axis of the PIP (low..high in the output picture) and of its crop (in the input picture).
struct Axis {
    Coord low;
    Coord high;
    Coord cropLow;
    Coord cropHigh;
    const SnapTargets* targets;
    bool vertical;
};

// The dragged edge follows the pointer and snaps; the opposite edge stays. The edge stops
// kMinEditSize short of the opposite one instead of passing it.
void ResizeAxis(Axis& a, Side side, double d, std::vector<SnapGuide>* guides) {
    if (side == Side::Low) {
        const PlacedEdge placed = SnapEdge(a.low + Round(d), *a.targets);
        a.low = std::min(placed.position, a.high - kMinEditSize);
        GuideIfHeld(guides, a.vertical, placed, a.low);
    } else if (side == Side::High) {
        const PlacedEdge placed = SnapEdge(a.high + Round(d), *a.targets);
        a.high = std::max(placed.position, a.low + kMinEditSize);
        GuideIfHeld(guides, a.vertical, placed, a.high);
    }
}

// The dragged edge cuts into or gives back the input picture, `scale` input pixels per output
// pixel, so that the picture inside stays where it is on screen. Where the crop reaches the edge
// of the input picture (0..limit) the PIP's edge stops too, at the point where that edge of the
// picture appears. The crop keeps at least one input pixel.
void CropAxis(Axis& a, Side side, double d, double scale, Coord limit,
              std::vector<SnapGuide>* guides) {
    if (side == Side::Low) {
        const PlacedEdge placed = SnapEdge(a.low + Round(d), *a.targets);
        Coord edge = std::min(placed.position, a.high - kMinEditSize);
        Coord crop =
            Round(static_cast<double>(a.cropLow) + static_cast<double>(edge - a.low) * scale);
        if (crop < 0 && scale > 0.0) {
            edge = std::min(a.low + Round(-static_cast<double>(a.cropLow) / scale),
                            a.high - kMinEditSize);
            crop = 0;
        }
        a.cropLow = std::clamp<Coord>(crop, 0, std::max<Coord>(0, std::min(a.cropHigh, limit) - 1));
        a.low = edge;
        GuideIfHeld(guides, a.vertical, placed, a.low);
    } else if (side == Side::High) {
        const PlacedEdge placed = SnapEdge(a.high + Round(d), *a.targets);
        Coord edge = std::max(placed.position, a.low + kMinEditSize);
        Coord crop =
            Round(static_cast<double>(a.cropHigh) + static_cast<double>(edge - a.high) * scale);
        if (crop > limit && scale > 0.0) {
            edge = std::max(a.high + Round(static_cast<double>(limit - a.cropHigh) / scale),
                            a.low + kMinEditSize);
            crop = limit;
        }
        a.cropHigh = std::clamp<Coord>(crop, std::min(limit, a.cropLow + 1), limit);
        a.high = edge;
        GuideIfHeld(guides, a.vertical, placed, a.high);
    }
}

// A resize that keeps the start's proportions. The leading axis decides the scale: the one a
// side handle drags, or for a corner the one the pointer changed more, relative to its size.
// Only the leading edge snaps; the other dimension follows from the proportions, anchored at the
// opposite corner, or for a side handle centred on the other axis.
void ResizeKeepingAspect(Axis& x, Axis& y, Side xSide, Side ySide, double dx, double dy,
                         std::vector<SnapGuide>* guides) {
    const double scaleWidth = ScaleSize(x.high - x.low);
    const double scaleHeight = ScaleSize(y.high - y.low);
    const auto draggedSize = [](const Axis& a, Side side, Coord edge) {
        return side == Side::Low ? a.high - edge : edge - a.low;
    };
    const auto draggedEdge = [](const Axis& a, Side side, double d) {
        return (side == Side::Low ? a.low : a.high) + Round(d);
    };

    bool horizontalLeads = xSide != Side::None;
    if (xSide != Side::None && ySide != Side::None) {
        const double widthChange =
            std::abs(static_cast<double>(draggedSize(x, xSide, draggedEdge(x, xSide, dx))) -
                     scaleWidth) /
            scaleWidth;
        const double heightChange =
            std::abs(static_cast<double>(draggedSize(y, ySide, draggedEdge(y, ySide, dy))) -
                     scaleHeight) /
            scaleHeight;
        horizontalLeads = widthChange >= heightChange;
    }

    const Axis& lead = horizontalLeads ? x : y;
    const Side leadSide = horizontalLeads ? xSide : ySide;
    const PlacedEdge placed =
        SnapEdge(draggedEdge(lead, leadSide, horizontalLeads ? dx : dy), *lead.targets);
    const double leadSize = horizontalLeads ? scaleWidth : scaleHeight;
    const double smallest = std::max(kMinEditSize / scaleWidth, kMinEditSize / scaleHeight);
    const double factor = std::max(
        static_cast<double>(draggedSize(lead, leadSide, placed.position)) / leadSize, smallest);
    const Coord width = std::max<Coord>(Round(scaleWidth * factor), kMinEditSize);
    const Coord height = std::max<Coord>(Round(scaleHeight * factor), kMinEditSize);

    const auto place = [](Axis& a, Side side, Coord size) {
        if (side == Side::Low) {
            a.low = a.high - size;
        } else if (side == Side::High) {
            a.high = a.low + size;
        } else {
            a.low += Round(static_cast<double>(a.high - a.low - size) / 2.0);
            a.high = a.low + size;
        }
    };
    place(x, xSide, width);
    place(y, ySide, height);
    const Axis& placedLead = horizontalLeads ? x : y;
    GuideIfHeld(guides, placedLead.vertical, placed,
                leadSide == Side::Low ? placedLead.low : placedLead.high);
}

} // namespace

QRect SafeArea(VideoSize video, double fraction) {
    const double f = std::isnan(fraction) ? 1.0 : std::clamp(fraction, 0.0, 1.0);
    const int width = std::max(video.width, 0);
    const int height = std::max(video.height, 0);
    const int marginX = static_cast<int>(Round(width * (1.0 - f) / 2.0));
    const int marginY = static_cast<int>(Round(height * (1.0 - f) / 2.0));
    return QRect(marginX, marginY, width - 2 * marginX, height - 2 * marginY);
}

QRect PipRect(const TPipEntry& e) {
    return QRect(e.PosX, e.PosY, e.Width, e.Height);
}

int PipAt(const TPipSetup& setup, QPointF videoPoint) {
    for (int pip = static_cast<int>(setup.size()); pip >= 1; --pip) {
        const TPipEntry& e = setup[static_cast<std::size_t>(pip - 1)];
        if (Shows(e) && Inside(e, videoPoint)) {
            return pip;
        }
    }
    return 0;
}

EditHandle HandleAt(const TPipEntry& e, QPointF videoPoint, double handleRadius) {
    // A PIP of no size still shows its handles, so that it can be pulled open again.
    const double l = e.PosX;
    const double t = e.PosY;
    const double r = l + std::max(e.Width, 0);
    const double b = t + std::max(e.Height, 0);
    const double cx = (l + r) / 2.0;
    const double cy = (t + b) / 2.0;
    struct Spot {
        EditHandle handle;
        double x;
        double y;
    };
    const Spot corners[] = {{EditHandle::TopLeft, l, t},
                            {EditHandle::TopRight, r, t},
                            {EditHandle::BottomLeft, l, b},
                            {EditHandle::BottomRight, r, b}};
    const Spot sides[] = {{EditHandle::Top, cx, t},
                          {EditHandle::Bottom, cx, b},
                          {EditHandle::Left, l, cy},
                          {EditHandle::Right, r, cy}};
    const auto nearest = [&](std::span<const Spot> spots) {
        EditHandle found = EditHandle::None;
        double foundDistance = 0.0;
        for (const Spot& s : spots) {
            const double d =
                std::max(std::abs(videoPoint.x() - s.x), std::abs(videoPoint.y() - s.y));
            if (d <= handleRadius && (found == EditHandle::None || d < foundDistance)) {
                found = s.handle;
                foundDistance = d;
            }
        }
        return found;
    };
    for (std::span<const Spot> group :
         {std::span<const Spot>(corners), std::span<const Spot>(sides)}) {
        if (const EditHandle h = nearest(group); h != EditHandle::None) {
            return h;
        }
    }
    if (e.Width > 0 && e.Height > 0 && Inside(e, videoPoint)) {
        return EditHandle::Body;
    }
    return EditHandle::None;
}

TPipEntry DragPip(const TPipSetup& setup, int pip, EditHandle handle, QPointF delta,
                  DragModifiers modifiers, VideoSize video, const SnapOptions& snap,
                  std::vector<SnapGuide>* guides) {
    if (pip < 1 || pip > static_cast<int>(setup.size())) {
        return ZeroPipEntry();
    }
    const auto index = static_cast<std::size_t>(pip - 1);
    TPipEntry e = setup[index];
    if (handle == EditHandle::None) {
        return e;
    }
    const double dx = SaneDelta(delta.x());
    const double dy = SaneDelta(delta.y());
    const SnapTargets xTargets = TargetsFor(setup, index, true, video, snap);
    const SnapTargets yTargets = TargetsFor(setup, index, false, video, snap);

    if (handle == EditHandle::Body) {
        e.PosX = ToField(MoveAxis(e.PosX, e.Width, dx, xTargets, true, guides));
        e.PosY = ToField(MoveAxis(e.PosY, e.Height, dy, yTargets, false, guides));
        return e;
    }

    const Side xSide = HorizontalSide(handle);
    const Side ySide = VerticalSide(handle);
    if (modifiers.crop) {
        EnsureCrop(e, video);
    }
    Axis x{e.PosX, Coord{e.PosX} + e.Width, e.RecLeft, e.RecRight, &xTargets, true};
    Axis y{e.PosY, Coord{e.PosY} + e.Height, e.RecTop, e.RecBottom, &yTargets, false};
    if (modifiers.crop) {
        const double scaleX =
            std::max(0.0, static_cast<double>(x.cropHigh - x.cropLow) / ScaleSize(e.Width));
        const double scaleY =
            std::max(0.0, static_cast<double>(y.cropHigh - y.cropLow) / ScaleSize(e.Height));
        CropAxis(x, xSide, dx, scaleX, video.width, guides);
        CropAxis(y, ySide, dy, scaleY, video.height, guides);
        e.RecLeft = ToField(x.cropLow);
        e.RecRight = ToField(x.cropHigh);
        e.RecTop = ToField(y.cropLow);
        e.RecBottom = ToField(y.cropHigh);
    } else if (modifiers.keepAspect) {
        ResizeKeepingAspect(x, y, xSide, ySide, dx, dy, guides);
    } else {
        ResizeAxis(x, xSide, dx, guides);
        ResizeAxis(y, ySide, dy, guides);
    }
    e.PosX = ToField(x.low);
    e.Width = ToField(x.high - x.low);
    e.PosY = ToField(y.low);
    e.Height = ToField(y.high - y.low);
    return e;
}

} // namespace quorvel
