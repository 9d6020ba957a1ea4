#pragma once
// The border overlay: a transparent frame of the video size with the border of every visible PIP
// drawn in, redrawn on the window thread whenever the layout changes and laid over each composed
// frame as a whole.

#include <QRgb>

#include <cstdint>

#include "core/pip_entry.h"
#include "preview/media/media_frame.h"

namespace quorvel {

// The colour a BorderColor stands for: 0x00BBGGRR as it is, or, with the top bit set, the system
// colour whose index is the lowest byte, as the system defines it now.
QRgb ResolveBorderColor(std::uint32_t borderColor);

// The current value of a Windows system colour (GetSysColor index); on other systems taken from
// the desktop palette where one is running, else the Windows defaults.
QRgb SystemColour(int index);

// Draws, for every entry with Visible set and Border of 1 or more, an opaque band of Border pixels
// just inside the PIP's rectangle PosX, PosY, Width, Height, straight into frame's pixels. The
// band is what a pen of width Border stroked along the rectangle inset by Border / 2 covers.
void DrawBorders(media::MediaFrame& frame, TPipSetup entries);

// A new border overlay for the layout: the transparent base (back_transp.png) when it has the
// video size (or the size is not known yet), otherwise a transparent frame of the video size, with
// the borders drawn and analysed for the composition. Null when there is neither a base nor a size.
media::FramePtr MakeBorderOverlay(const media::FramePtr& transparentBase, const TPipSetup& setup,
                                  VideoSize video);

} // namespace quorvel
