#pragma once
// The playback worker: a thread of its own that, while enabled, takes each new frame of the
// background, has the layout composed onto it once composition is on, keeps it as the newest
// frame and tells the window about it. It learns the video size from the frames.
//
// Shared with the window thread, each exchange made safe: the flags are atomics; the layout and
// the border overlay are published as whole immutable snapshots under a short lock that the worker
// holds only to copy a pointer; the newest frame is handed back the same way. The worker never
// waits on the window thread and never touches a widget: it tells the window through the
// notification functions, each call of which must return at once (the engine posts events).

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "core/pip_entry.h"
#include "preview/composer.h"
#include "preview/media/media_frame.h"
#include "preview/media/media_reader.h"

namespace quorvel {

enum class eState : std::uint8_t {
    eST_PlayFwd = 0,
    eST_Pause = 1,
    eST_PlayRev = 2,
    eST_StepFwd = 3,
    eST_StepRev = 4,
};

// The playback state of the preview player.
class TState {
public:
    TState(eState state, double frameRequest, double duration, double rate, QString fileName,
           bool loop)
        : m_state(state)
        , m_dblFrameRequest(frameRequest)
        , m_dblDuration(duration)
        , m_dblRate(rate)
        , m_strFileName(std::move(fileName))
        , m_bLoop(loop) {}

    eState m_state;
    double m_dblFrameRequest;
    double m_dblDuration;
    double m_dblRate;
    QString m_strFileName;
    bool m_bLoop;
};

class PlaybackWorker {
public:
    struct Notifications {
        std::function<void()> frameReady;               // a new newest frame
        std::function<void(int, int)> videoSizeChanged; // width, height
    };

    // The longest a cycle waits for the background's next frame.
    static constexpr std::chrono::milliseconds kCyclePause{10};

    PlaybackWorker(media::ReaderPtr background, media::AVProps backgroundFormat,
                   std::unique_ptr<PreviewComposer> composer, TState state);
    // Stops the thread, waiting at most a moment; a thread that does not end in time is left to
    // end on its own (it owns what it uses).
    ~PlaybackWorker();
    PlaybackWorker(const PlaybackWorker&) = delete;
    PlaybackWorker& operator=(const PlaybackWorker&) = delete;

    // Window thread. The functions are called on the worker; set them before Start, and clear them
    // (DetachNotifications) before whatever they call goes away.
    void SetNotifications(Notifications notifications);
    void DetachNotifications();

    // Starts the thread. It runs cycles while enabled (Start enables it).
    void Start();
    void SetEnabled(bool enabled);     // disabling stops further cycles; one under way completes
    void SetComposing(bool composing); // m_bStartPIP
    void SetClosing(bool closing);     // m_bClosing: cycles only pause
    void PublishLayout(const TPipSetup& layout);
    void PublishBorders(media::FramePtr borders);

    // Any thread.
    media::FramePtr LatestFrame() const;
    VideoSize videoSize() const;
    TState State() const;
    // The window took the newest frame: the next one is announced again.
    void FrameShown();

    // Ends the thread; false when it did not end within timeout (it then ends on its own).
    bool Stop(std::chrono::milliseconds timeout);

    // One playback cycle on the calling thread (when the thread is not started): for tests and
    // offline use. Returns true when it produced a frame.
    bool ThreadPlaybackExecute();

    struct Core;

private:
    std::shared_ptr<Core> m_core;
    bool m_started = false;
};

} // namespace quorvel
