#pragma once
// Frames of the media layer: 32-bit premultiplied BGRA pixels (QImage::Format_ARGB32_Premultiplied
// on a little-endian machine) in a buffer the frame owns, rows packed without padding.
//
// A frame is written only by the code that made it; once handed on as a FramePtr it is read-only
// and may be read from any thread. The operations here are the plain, obviously correct forms
// (copy, cut, overlay, resize); the per-frame composition has a faster path of its own
// (compose_frame.h) that gives exactly the same pixels.

#include <QImage>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace quorvel::media {

// The audio and video properties of a frame or a requested format. Only the fields the preview
// uses; a zero width or height in a request means "the source's own size".
struct AVProps {
    std::int32_t formatCode = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t rowBytes = 0;
    std::int16_t aspectX = 0;
    std::int16_t aspectY = 0;
    double framesPerSecond = 0.0;
};

// A run of pixels [begin, end) in one row that are not fully transparent.
struct PixelRun {
    std::int32_t begin = 0;
    std::int32_t end = 0;
};

class MediaFrame;
using FramePtr = std::shared_ptr<const MediaFrame>;
using MutableFramePtr = std::shared_ptr<MediaFrame>;

class MediaFrame {
public:
    // A frame of width x height (both at least 1), every pixel transparent black.
    static MutableFramePtr Create(int width, int height);
    // Same, pixels left as the allocator gives them (the caller writes every pixel).
    static MutableFramePtr CreateUninitialised(int width, int height);
    // A deep copy of image converted to premultiplied ARGB32; null for a null image.
    static MutableFramePtr FromImage(const QImage& image);

    MediaFrame(const MediaFrame&) = delete;
    MediaFrame& operator=(const MediaFrame&) = delete;
    ~MediaFrame();

    int width() const { return m_width; }
    int height() const { return m_height; }
    int rowBytes() const { return m_width * 4; }
    std::size_t byteCount() const { return std::size_t(m_width) * std::size_t(m_height) * 4; }
    QSize size() const { return {m_width, m_height}; }
    QRect rect() const { return {0, 0, m_width, m_height}; }
    std::uint8_t* bits() { return reinterpret_cast<std::uint8_t*>(m_pixels); }
    const std::uint8_t* bits() const { return reinterpret_cast<const std::uint8_t*>(m_pixels); }
    std::uint32_t* row(int y) { return m_pixels + std::size_t(y) * std::size_t(m_width); }
    const std::uint32_t* row(int y) const {
        return m_pixels + std::size_t(y) * std::size_t(m_width);
    }

    // Properties: width, height, row bytes (as the media layer's AV record carries them).
    AVProps Properties() const;

    // What the producer knows of the alpha channel, set before the frame is shared. The
    // composition skips work with it: an opaque frame hides what lies below, and transparent
    // pixels outside the runs are never read.
    bool opaque() const { return m_opaque; }
    void SetOpaque(bool opaque) { m_opaque = opaque; }
    // Scans the pixels: sets opaque() and the runs of visible pixels of each row. Runs closer than
    // a cache line are merged, so a row costs a handful of runs.
    void Analyse();
    bool hasRuns() const { return !m_runStart.empty(); }
    // The runs of row y; only valid when hasRuns().
    const PixelRun* runsBegin(int y) const { return m_runs.data() + m_runStart[std::size_t(y)]; }
    const PixelRun* runsEnd(int y) const { return m_runs.data() + m_runStart[std::size_t(y) + 1]; }

    // A number the producer may keep with the pixels (the test sources remember what they drew).
    std::int64_t tag() const { return m_tag; }
    void SetTag(std::int64_t tag) { m_tag = tag; }

    // An independent copy (same pixels, same alpha knowledge).
    MutableFramePtr Copy() const;
    // The part left, top, right (one past), bottom (one past), clipped to the frame; null when
    // nothing of it lies inside.
    MutableFramePtr Cut(int left, int top, int right, int bottom) const;
    // The whole frame scaled smoothly to width x height; null for a size below 1.
    MutableFramePtr Resize(int width, int height) const;
    // Draws src over the whole frame with its alpha (stretched when the sizes differ).
    void Overlay(const MediaFrame& src);
    // Draws the part `source` of src, stretched into `target` of this frame, with its alpha.
    // Nearest pixel, sampled at pixel centres; target is clipped to the frame. Nothing happens for
    // an empty source or target.
    void OverlayRect(const MediaFrame& src, const QRect& source, const QRect& target);
    void OverlayRect(const MediaFrame& src, const QRect& target) {
        OverlayRect(src, src.rect(), target);
    }

    // A QImage over this frame's own pixels (no copy), valid while the frame lives.
    QImage WrapImage();
    // A deep copy as a QImage.
    QImage ToImage() const;

private:
    friend class FramePool;
    MediaFrame(int width, int height, std::uint32_t* pixels);

    int m_width;
    int m_height;
    std::uint32_t* m_pixels;
    bool m_opaque = false;
    std::int64_t m_tag = -1;
    std::vector<std::uint32_t> m_runStart; // height + 1 offsets into m_runs
    std::vector<PixelRun> m_runs;
};

// The destination pixel after drawing the premultiplied pixel src over dst: for each channel
// src + dst * (255 - alpha) / 255, rounded to nearest and saturated. The one blend rule of the
// media layer; the fast composition reproduces it bit for bit.
inline std::uint32_t BlendPixel(std::uint32_t dst, std::uint32_t src) {
    const std::uint32_t inverse = 255u - (src >> 24);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t t = ((dst >> shift) & 0xFFu) * inverse + 128u;
        std::uint32_t channel = ((t + (t >> 8)) >> 8) + ((src >> shift) & 0xFFu);
        if (channel > 255u) {
            channel = 255u;
        }
        out |= channel << shift;
    }
    return out;
}

// Nearest-pixel mapping of a stretch, sampled at pixel centres: the source offset of target
// offset i when `sourceLength` pixels are stretched over `targetLength`.
inline int StretchSource(int i, int sourceLength, int targetLength) {
    return int((std::int64_t(2 * i + 1) * sourceLength) / (std::int64_t(2) * targetLength));
}

// Reuses frame buffers of one size, so that a steady stream of frames costs no page faults.
// Frames handed out return here when their last reference goes; a frame outliving the pool is
// simply freed. Thread-safe.
class FramePool {
public:
    explicit FramePool(std::size_t keep = 4);
    ~FramePool();
    FramePool(const FramePool&) = delete;
    FramePool& operator=(const FramePool&) = delete;

    // A frame of that size; a recycled one keeps its old pixels and tag (a new one has tag -1).
    MutableFramePtr Acquire(int width, int height);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

} // namespace quorvel::media
