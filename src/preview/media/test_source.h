#pragma once
// The built-in live test source that stands in for a switcher input nobody has mapped: a field in
// the input's own colour with its number drawn large and a bright bar sweeping across once every
// two seconds, so that the designer works with no switcher and no media at hand.
//
// Frames are made on request, in the size and at the rate asked for (its own: 1920 x 1080 at 30
// frames per second); a new frame costs only the bar's old and new place, not a whole picture.

#include <QColor>
#include <QRectF>

#include <functional>
#include <map>
#include <mutex>

#include "preview/media/media_reader.h"

class QPainter;

namespace quorvel::media {

class TestSourceReader final : public MediaReader {
public:
    static constexpr int kOwnWidth = 1920;
    static constexpr int kOwnHeight = 1080;
    static constexpr double kOwnFramesPerSecond = 30.0;
    static constexpr double kSweepSeconds = 2.0;

    // A live source whose picture moves with the steady clock.
    explicit TestSourceReader(int inputNumber);
    // A source frozen at one frame index (offline pictures that must come out the same every time).
    TestSourceReader(int inputNumber, std::int64_t frozenFrameIndex);

    // The colour of input n's field.
    static QColor InputColour(int inputNumber);

    bool Open(const QString& url, const QString& options) override;
    FramePtr NextFrame() override;
    FramePtr FrameInFormat(const AVProps& format) override;
    FramePtr PlaybackFrame(const AVProps& format, double position) override;
    std::optional<Clock::time_point> NextFrameDue() const override;
    double Duration() const override { return 0.0; }
    bool Close(std::chrono::milliseconds timeout) override;
    void CloseAsync() override;

    int inputNumber() const { return m_inputNumber; }

private:
    struct Resolved {
        int width;
        int height;
        double fps;
    };
    Resolved ResolveRequest(const AVProps& format) const;
    std::int64_t FrameIndexNow(double fps) const;
    FramePtr FrameAt(const Resolved& format, std::int64_t index);
    const MediaFrame& StaticLayer(int width, int height);

    const int m_inputNumber;
    const std::int64_t m_frozenIndex; // -1: live
    const Clock::time_point m_start;

    mutable std::mutex m_mutex;
    bool m_closed = false;
    std::map<std::pair<int, int>, MutableFramePtr> m_static; // per size
    FramePool m_pool{3};
    FramePtr m_last;
    std::int64_t m_lastIndex = -1;
    std::int64_t m_lastPlaybackIndex = -1;
    double m_playbackFps = kOwnFramesPerSecond;
};

// Draws text made of the digits 0-9 as seven-segment figures filling `box` (no fonts needed).
void DrawSegmentDigits(QPainter& painter, const QRectF& box, const QString& digits,
                       const QColor& colour);

} // namespace quorvel::media
