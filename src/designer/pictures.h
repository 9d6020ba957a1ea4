#pragma once
// The pictures of the slot tiles and of the layout picker, drawn here rather than carried as files.

#include <QIcon>
#include <QPixmap>

#include "core/pip_entry.h"

namespace quorvel {

inline constexpr int kLayoutPictureCount = 18;
inline constexpr int kLayoutPictureSize = 40; // pixels, square

// Picture index (0 to 17) of the layout picker: a small screen with the layout's PIPs on it.
// Pictures 0 to 6 show the seven presets in the order of their picker items.
QPixmap LayoutPicture(int index);

// The picture of slot tile slot (1 to 6): a screen with a PIP and the slot's letter, A to F.
QIcon SlotTilePicture(int slot, int sizePx);

// The picture of a slot tile whose template exists: the template's visible PIPs drawn as
// rectangles on a screen of the video's proportions, and the slot's letter in a corner.
QIcon SlotThumbnailPicture(int slot, QSize sizePx, const TPipSetup& setup, VideoSize video);

} // namespace quorvel
