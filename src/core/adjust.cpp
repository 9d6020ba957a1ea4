#include "core/adjust.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

bool CropAllZero(const TPipEntry& e) {
    return e.RecTop == 0 && e.RecBottom == 0 && e.RecLeft == 0 && e.RecRight == 0;
}

void SetWholeCrop(TPipEntry& e, VideoSize video) {
    e.RecTop = 0;
    e.RecLeft = 0;
    e.RecBottom = video.height;
    e.RecRight = video.width;
}

// A crop never set stands for the whole picture; moving it needs real edges first.
void ResolveUnsetCrop(TPipEntry& e, VideoSize video) {
    if (e.RecBottom == kUnsetMarker) {
        SetWholeCrop(e, video);
    }
}

// Brings the crop edges [low, high) of one axis back inside [0, limit]: a window past the far edge
// shifts back (but not before 0), one before 0 shifts forward. When the window has grown larger
// than the picture the far edge is then limited too, so the crop never leaves the picture.
void ShiftInside(int& low, int& high, int limit) {
    if (high > limit) {
        low = std::max(low + (limit - high), 0);
        high = limit;
    }
    if (low < 0) {
        high -= low;
        low = 0;
    }
    high = std::min(high, limit);
}

} // namespace

bool EnsureCrop(TPipEntry& e, VideoSize video) {
    if (CropAllZero(e) || e.RecBottom == kUnsetMarker) {
        SetWholeCrop(e, video);
        return true;
    }
    return false;
}

AdjustOutcome MoveVertical(TPipEntry& e, int step, AdjustMode mode, VideoSize video) {
    if (mode == AdjustMode::Externo) {
        e.PosY += step;
        return {true, true};
    }
    ResolveUnsetCrop(e, video);
    const int top = e.RecTop + step;
    const int bottom = e.RecBottom + step;
    if (top < 0 || bottom > video.height) {
        return {};
    }
    e.RecTop = top;
    e.RecBottom = bottom;
    return {true, false};
}

AdjustOutcome MoveHorizontal(TPipEntry& e, int step, AdjustMode mode, VideoSize video) {
    if (mode == AdjustMode::Externo) {
        e.PosX += step;
        return {true, true};
    }
    ResolveUnsetCrop(e, video);
    const int left = e.RecLeft - step;
    const int right = e.RecRight - step;
    if (left < 0 || right > video.width) {
        return {};
    }
    e.RecLeft = left;
    e.RecRight = right;
    return {true, false};
}

AdjustOutcome ZoomSelectedPIP(TPipEntry& e, int direction, int factor, AdjustMode mode,
                              VideoSize video) {
    const bool cropChanged = EnsureCrop(e, video);
    if (e.Width == 0 || e.Height == 0) {
        return {cropChanged, false};
    }
    // Ties go to the even neighbour (the default floating-point rounding mode).
    const int sx =
        static_cast<int>(std::nearbyint(static_cast<double>(factor) * e.Width / e.Height));
    const int dh = direction * sx;
    const int dv = direction * factor;

    if (mode == AdjustMode::Interno) {
        int t = e.RecTop + dv;
        int b = e.RecBottom - dv;
        int l = e.RecLeft + dh;
        int r = e.RecRight - dh;
        ShiftInside(t, b, video.height);
        ShiftInside(l, r, video.width);
        if (b - t <= kMinCropHeightExclusive || r - l <= kMinCropWidthExclusive) {
            return {cropChanged, false};
        }
        e.RecTop = t;
        e.RecBottom = b;
        e.RecLeft = l;
        e.RecRight = r;
        return {true, false};
    }

    // A zoom-out that would leave no picture at all is refused rather than giving a negative size.
    if (e.Width + dh <= 0 || e.Height + dv <= 0) {
        return {cropChanged, false};
    }
    e.PosX -= dh / 2;
    e.PosY -= dv / 2;
    e.Width += dh;
    e.Height += dv;
    return {true, true};
}

bool CropHalf(TPipEntry& e, int kind, VideoSize video) {
    bool changed = EnsureCrop(e, video);
    switch (static_cast<CropHalfKind>(kind)) {
    case CropHalfKind::Right:
        e.RecLeft = e.RecRight - (e.RecRight - e.RecLeft) / 2;
        e.Width /= 2;
        return true;
    case CropHalfKind::Left:
        e.RecRight = e.RecLeft + (e.RecRight - e.RecLeft) / 2;
        e.Width /= 2;
        return true;
    case CropHalfKind::Top:
        e.RecBottom = e.RecTop + (e.RecBottom - e.RecTop) / 2;
        e.Height /= 2;
        return true;
    case CropHalfKind::Bottom:
        e.RecTop = e.RecBottom - (e.RecBottom - e.RecTop) / 2;
        e.Height /= 2;
        return true;
    }
    return changed;
}

void ApplyBorderToAll(TPipSetup& entries, int border, quint32 color) {
    for (TPipEntry& e : entries) {
        e.Border = border;
        e.BorderColor = color;
    }
}

std::optional<AdjustOp> AdjustOpFromName(const QString& name) {
    struct Named {
        const char* name;
        AdjustOp op;
    };
    static constexpr Named kOps[] = {
        {"up", AdjustOp::Up},
        {"down", AdjustOp::Down},
        {"left", AdjustOp::Left},
        {"right", AdjustOp::Right},
        {"zoom-in", AdjustOp::ZoomIn},
        {"zoom-out", AdjustOp::ZoomOut},
        {"crop-right", AdjustOp::CropRight},
        {"crop-left", AdjustOp::CropLeft},
        {"crop-top", AdjustOp::CropTop},
        {"crop-bottom", AdjustOp::CropBottom},
        {"ensure-crop", AdjustOp::EnsureCrop},
        {"border-to-all", AdjustOp::BorderToAll},
    };
    for (const Named& n : kOps) {
        if (name == QLatin1String(n.name)) {
            return n.op;
        }
    }
    return std::nullopt;
}

AdjustOutcome ApplyAdjustOp(AdjustOp op, TPipSetup& entries, int pip, int factor, AdjustMode mode,
                            VideoSize video) {
    TPipEntry& e = entries[static_cast<std::size_t>(pip - 1)];
    switch (op) {
    case AdjustOp::Up:
        return MoveVertical(e, -factor, mode, video);
    case AdjustOp::Down:
        return MoveVertical(e, factor, mode, video);
    case AdjustOp::Left:
        return MoveHorizontal(e, -factor, mode, video);
    case AdjustOp::Right:
        return MoveHorizontal(e, factor, mode, video);
    case AdjustOp::ZoomIn:
        return ZoomSelectedPIP(e, +1, factor, mode, video);
    case AdjustOp::ZoomOut:
        return ZoomSelectedPIP(e, -1, factor, mode, video);
    case AdjustOp::CropRight:
        return {CropHalf(e, 1, video), true};
    case AdjustOp::CropLeft:
        return {CropHalf(e, 2, video), true};
    case AdjustOp::CropTop:
        return {CropHalf(e, 3, video), true};
    case AdjustOp::CropBottom:
        return {CropHalf(e, 4, video), true};
    case AdjustOp::EnsureCrop:
        return {EnsureCrop(e, video), false};
    case AdjustOp::BorderToAll:
        ApplyBorderToAll(entries, e.Border, e.BorderColor);
        return {true, true};
    }
    return {};
}

} // namespace quorvel
