#pragma once
// One preview frame from its layers: the background, the back overlay, the four PIPs (a part of
// each input stretched into its place), the border overlay and the front overlay, drawn in that
// order, each with its alpha.
//
// ComposeReference does it the plain way, with the media layer's copy, cut and overlay
// operations. ComposeFast gives exactly the same pixels in one pass over the output: it builds
// each row in a small buffer that stays in the cache, skips what an opaque PIP hides, reads only
// the visible runs of the overlays, and writes each output row once.

#include <QRect>

#include <array>

#include "preview/media/media_frame.h"

namespace quorvel {

struct PipLayer {
    media::FramePtr frame; // null: the PIP is left out
    QRect source;          // the part of frame shown (clipped to it)
    QRect target;          // where it goes in the output
};

struct ComposeLayers {
    media::FramePtr background; // required; its size is the output's
    media::FramePtr back;       // whole-picture overlays, null for none
    std::array<PipLayer, 4> pips;
    media::FramePtr borders;
    media::FramePtr front;
};

// The composed frame, the plain way.
media::MutableFramePtr ComposeReference(const ComposeLayers& layers);

// The composed frame written into out, which has the background's size.
void ComposeFast(const ComposeLayers& layers, media::MediaFrame& out);

} // namespace quorvel
