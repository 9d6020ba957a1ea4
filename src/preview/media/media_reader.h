#pragma once
// A source of frames: a file, an image sequence, a stream, a capture device, a picture or a
// built-in test source. Every call returns at once: work that can block (opening, reading,
// decoding) runs on the reader's own thread, and a request returns whatever frame is ready.
// All calls are thread-safe.

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

#include "preview/media/media_frame.h"

namespace quorvel::media {

using Clock = std::chrono::steady_clock;

class MediaReader {
public:
    virtual ~MediaReader() = default;

    // Starts reading url. options: empty, or "loop=true" to restart a file at its end. Opening
    // itself happens on the reader's thread; false only when the reader cannot even start.
    virtual bool Open(const QString& url, const QString& options) = 0;

    // The newest frame, or null when none is ready (not yet, failed, stalled or ended). A source
    // that is read on request (an image sequence) advances by one picture per call.
    virtual FramePtr NextFrame() = 0;

    // The newest frame in the size `format` asks for (its own size for 0 x 0), or null.
    virtual FramePtr FrameInFormat(const AVProps& format) = 0;

    // Like FrameInFormat, but only a frame newer than the one the last call returned: the
    // playback loop composes once per source frame. position -1 means "play on".
    virtual FramePtr PlaybackFrame(const AVProps& format, double position) = 0;

    // When the next frame is expected; empty when the source does not know.
    virtual std::optional<Clock::time_point> NextFrameDue() const { return std::nullopt; }

    // Length in seconds; 0 for a live source, a picture or when not known yet.
    virtual double Duration() const = 0;

    // First close form: stops the source and waits for its thread, at most about `timeout`.
    // False when the thread did not end in time (it is then left to end on its own).
    virtual bool Close(std::chrono::milliseconds timeout) = 0;

    // Second close form: stops the source without waiting; never blocks.
    virtual void CloseAsync() = 0;
};

using ReaderPtr = std::shared_ptr<MediaReader>;

// Options text "loop=true" (any case, among other words separated by blanks, commas or semicolons).
bool OptionsLoop(const QString& options);

} // namespace quorvel::media
