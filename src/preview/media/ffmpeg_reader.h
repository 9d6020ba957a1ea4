#pragma once
// The reader of files, image sequences, streams and capture devices, on FFmpeg.
//
// Each reader runs one thread of its own that opens the source, decodes it and keeps the newest
// frame ready as BGRA premultiplied. A file plays at its own rate; "loop=true" restarts it at its
// end. An image sequence ("*" in the name) is read on request: each NextFrame takes one picture and
// the thread decodes the following one ahead. A stream or device that fails or stalls is opened
// again every second until it comes back; meanwhile the reader gives no frame. A source that turns
// out to hold one picture keeps that picture.
//
// Closing never waits on the source: a blocking read is interrupted, and the thread, which owns
// everything it uses, ends on its own even when nobody waits for it.

#include <QString>

#include <memory>
#include <mutex>

#include "preview/media/ffmpeg_support.h"
#include "preview/media/media_reader.h"

namespace quorvel::media {

class FfmpegReader final : public MediaReader {
public:
    FfmpegReader();
    ~FfmpegReader() override; // closes without waiting

    bool Open(const QString& url, const QString& options) override;
    FramePtr NextFrame() override;
    FramePtr FrameInFormat(const AVProps& format) override;
    FramePtr PlaybackFrame(const AVProps& format, double position) override;
    std::optional<Clock::time_point> NextFrameDue() const override;
    double Duration() const override;
    bool Close(std::chrono::milliseconds timeout) override;
    void CloseAsync() override;

    struct State;

private:
    std::shared_ptr<State> CurrentState() const;
    std::shared_ptr<State> TakeState();

    mutable std::mutex m_stateMutex;
    std::shared_ptr<State> m_state;
};

// How long a live source may go without a new frame before its picture counts as gone.
inline constexpr std::chrono::milliseconds kStaleAfter{2000};

// True for names that FFmpeg reads as a live source (a URL with a network scheme, a device path):
// they are never paced and are reopened when they fail.
bool IsLiveSourceName(const QString& url);

// The first picture of a file decoded by FFmpeg (TGA, TIFF and whatever Qt cannot read), alpha
// kept and premultiplied; null when it cannot be decoded.
MutableFramePtr DecodePictureWithFfmpeg(const QString& path,
                                        ZeroAlpha zeroAlpha = ZeroAlpha::MeansTransparent);

} // namespace quorvel::media
