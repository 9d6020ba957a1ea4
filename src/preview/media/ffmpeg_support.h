#pragma once
// The FFmpeg plumbing shared by the reader and the picture loader: one demuxer with the decoder of
// its best video stream, and the conversion of decoded pictures to premultiplied BGRA frames.
// Used on one thread at a time.

#include <QString>

#include "preview/media/media_frame.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace quorvel::media {

enum class DecodeResult { Frame, EndOfStream, Error };

// What a picture whose alpha is 0 everywhere means: really transparent, or (32-bit BMP as many
// programs write it) no alpha at all.
enum class ZeroAlpha { MeansTransparent, MeansOpaque };

class DemuxContext {
public:
    DemuxContext();
    ~DemuxContext();
    DemuxContext(const DemuxContext&) = delete;
    DemuxContext& operator=(const DemuxContext&) = delete;

    // Opens a file, an image sequence ("*" pattern), a stream URL or a capture device. interrupt
    // (may be null) is polled during blocking calls; non-zero aborts them.
    bool Open(const QString& url, int (*interrupt)(void*), void* opaque);
    // The next decoded picture, owned by this object until the next call.
    DecodeResult DecodeNext(AVFrame*& frame);
    // Back to the start of a file.
    bool Rewind();
    double DurationSeconds() const;
    // The presentation time of a decoded picture, in seconds from the stream's start.
    double FrameSeconds(const AVFrame& frame) const;
    // One frame's duration at the stream's rate (1/25 s when it is not known).
    double FrameDurationSeconds() const;

private:
    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    int m_stream = -1;
    bool m_draining = false;
};

class FrameConverter {
public:
    FrameConverter() = default;
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    // The picture as a BGRA premultiplied frame from pool, scaled to width x height (its own size
    // for 0 x 0). Opaque formats are marked opaque; formats with alpha are analysed.
    MutableFramePtr Convert(const AVFrame& frame, int width, int height, FramePool& pool,
                            ZeroAlpha zeroAlpha = ZeroAlpha::MeansTransparent);

private:
    SwsContext* m_sws = nullptr;
};

// Premultiplies straight-alpha BGRA pixels in place (rounded to nearest).
void PremultiplyRow(std::uint32_t* pixels, int count);

} // namespace quorvel::media
