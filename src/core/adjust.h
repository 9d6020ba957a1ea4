#pragma once
// Fine adjustment of one PIP: nudging, zooming, cropping, and the border command. Externo works on
// the PIP's place in the output picture, Interno on the crop inside its input picture.

#include <QString>

#include <optional>

#include "core/pip_entry.h"

namespace quorvel {

enum class AdjustMode { Externo, Interno };

// What an adjustment did: whether the entry changed and whether the border overlay must be redrawn
// (Externo changes move the borders; Interno changes reach the preview with its next frame).
struct AdjustOutcome {
    bool changed = false;
    bool refreshBorders = false;
};

// The steps of the "Fator de Ajuste" menu, in pixels.
inline constexpr int kAdjustSteps[] = {1, 2, 5, 10, 20};
inline constexpr int kDefaultAdjustStep = 10;

// The smallest crop an Interno zoom leaves: more than 40 pixels high and 50 wide.
inline constexpr int kMinCropHeightExclusive = 40;
inline constexpr int kMinCropWidthExclusive = 50;

// Externo: PosY += step. Interno: the crop moves by step, refused as a whole if it would leave the
// picture; a crop never set is first made the whole picture.
AdjustOutcome MoveVertical(TPipEntry& e, int step, AdjustMode mode, VideoSize video);

// Externo: PosX += step. Interno: the crop moves by -step (the picture inside moves with step).
AdjustOutcome MoveHorizontal(TPipEntry& e, int step, AdjustMode mode, VideoSize video);

// Grows (+1) or shrinks (-1) the PIP about its centre (Externo) or shrinks/grows the crop
// (Interno), keeping the PIP's proportions; factor is the step in pixels.
AdjustOutcome ZoomSelectedPIP(TPipEntry& e, int direction, int factor, AdjustMode mode,
                              VideoSize video);

// An all-zero crop, or one never set, becomes the whole picture. True when it changed.
bool EnsureCrop(TPipEntry& e, VideoSize video);

enum class CropHalfKind { Right = 1, Left = 2, Top = 3, Bottom = 4 };

// Keeps one half of the crop and of the PIP's size (kind 1 to 4; any other kind changes nothing
// after EnsureCrop). True when the entry changed.
bool CropHalf(TPipEntry& e, int kind, VideoSize video);

// Gives every entry the border width and colour given.
void ApplyBorderToAll(TPipSetup& entries, int border, quint32 color);

// The operations of the command-line tool, by name.
enum class AdjustOp {
    Up,
    Down,
    Left,
    Right,
    ZoomIn,
    ZoomOut,
    CropRight,
    CropLeft,
    CropTop,
    CropBottom,
    EnsureCrop,
    BorderToAll
};
std::optional<AdjustOp> AdjustOpFromName(const QString& name);

// Runs one operation on PIP `pip` (1 to 4) as its button or menu item does.
AdjustOutcome ApplyAdjustOp(AdjustOp op, TPipSetup& entries, int pip, int factor, AdjustMode mode,
                            VideoSize video);

} // namespace quorvel
