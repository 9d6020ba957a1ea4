#pragma once
// The frame factory: still pictures (PNG, JPEG, BMP, TGA, GIF, TIFF) loaded into frames with their
// alpha kept, and a reader over one such picture.

#include <QString>

#include <mutex>

#include "preview/media/media_reader.h"

namespace quorvel::media {

// The picture in fileName (its first frame for an animation), analysed for alpha; null when the
// file is missing or cannot be decoded. Qt reads what it can, FFmpeg the rest.
MutableFramePtr LoadPicture(const QString& fileName);

// A reader over one still picture: loads it once, on a thread of its own, and then gives that
// picture on every request. PlaybackFrame gives it again at the requested rate (30 per second when
// the request names none), so that a still background still paces the preview.
class PictureReader final : public MediaReader {
public:
    PictureReader() = default;
    ~PictureReader() override = default;

    bool Open(const QString& url, const QString& options) override;
    FramePtr NextFrame() override;
    FramePtr FrameInFormat(const AVProps& format) override;
    FramePtr PlaybackFrame(const AVProps& format, double position) override;
    std::optional<Clock::time_point> NextFrameDue() const override;
    double Duration() const override { return 0.0; }
    bool Close(std::chrono::milliseconds timeout) override;
    void CloseAsync() override;

    struct State;

private:
    std::shared_ptr<State> CurrentState() const;

    mutable std::mutex m_mutex;
    std::shared_ptr<State> m_state;
    Clock::time_point m_nextDue{};
    bool m_playbackStarted = false;
};

// True for names the picture reader takes: a still-image extension (.png, .jpg, .jpeg, .bmp, .tga,
// .gif, .tif, .tiff, any case) and no "*".
bool IsStillPictureName(const QString& fileName);

} // namespace quorvel::media
