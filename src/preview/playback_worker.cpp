#include "preview/playback_worker.h"

#include <algorithm>
#include <thread>

namespace quorvel {

struct PlaybackWorker::Core {
    // Set at construction, then used by the worker alone.
    media::ReaderPtr background;
    media::AVProps backgroundFormat;
    std::unique_ptr<PreviewComposer> composer;

    std::atomic<bool> enabled{false};
    std::atomic<bool> composing{false};
    std::atomic<bool> closing{false};
    std::atomic<bool> stop{false};
    std::atomic<bool> framePending{false};
    std::atomic<std::uint64_t> videoSize{0}; // width << 32 | height

    mutable std::mutex mutex; // guards what follows; held only to copy pointers
    std::condition_variable wake;
    std::shared_ptr<const TPipSetup> layout;
    media::FramePtr borders;
    media::FramePtr latest;
    TState state{eState::eST_PlayFwd, -1.0, 0.0, 1.0, QString(), true};
    Notifications notifications;
    bool exited = false;

    void Pause(std::chrono::steady_clock::duration pause) {
        std::unique_lock lock(mutex);
        wake.wait_for(lock, pause, [&] { return stop.load(); });
    }

    // How long to wait before the next cycle: until the background's next frame, at most one
    // cycle pause, at least a millisecond.
    std::chrono::steady_clock::duration NextPause() const {
        using namespace std::chrono;
        steady_clock::duration pause = kCyclePause;
        if (const auto due = background ? background->NextFrameDue() : std::nullopt) {
            pause = std::clamp<steady_clock::duration>(*due - steady_clock::now(), milliseconds(1),
                                                       kCyclePause);
        }
        return pause;
    }

    bool Cycle() {
        if (!background || closing.load()) {
            Pause(kCyclePause);
            return false;
        }
        double frameRequest = -1.0;
        {
            std::lock_guard lock(mutex);
            frameRequest = state.m_dblFrameRequest;
        }
        media::FramePtr frame = background->PlaybackFrame(backgroundFormat, frameRequest);
        if (!frame) {
            Pause(NextPause());
            return false;
        }
        std::shared_ptr<const TPipSetup> layoutNow;
        media::FramePtr bordersNow;
        {
            std::lock_guard lock(mutex);
            if (state.m_state == eState::eST_StepFwd || state.m_state == eState::eST_StepRev) {
                state.m_state = eState::eST_Pause;
            }
            layoutNow = layout;
            bordersNow = borders;
        }
        if (composing.load() && layoutNow && composer) {
            composer->ComposeFrame(frame, *layoutNow, bordersNow);
        }
        Notifications notify;
        {
            std::lock_guard lock(mutex);
            latest = frame;
            notify = notifications;
        }
        if (!framePending.exchange(true) && notify.frameReady) {
            notify.frameReady();
        }
        const std::uint64_t size =
            (std::uint64_t(std::uint32_t(frame->width())) << 32) | std::uint32_t(frame->height());
        if (videoSize.exchange(size) != size && notify.videoSizeChanged) {
            notify.videoSizeChanged(frame->width(), frame->height());
        }
        frame.reset();
        Pause(NextPause());
        return true;
    }

    void Run() {
        while (!stop.load()) {
            if (enabled.load()) {
                Cycle();
            } else {
                Pause(kCyclePause);
            }
        }
        if (composer) {
            composer->CloseOverlayReaders();
        }
        std::lock_guard lock(mutex);
        exited = true;
        wake.notify_all();
    }
};

PlaybackWorker::PlaybackWorker(media::ReaderPtr background, media::AVProps backgroundFormat,
                               std::unique_ptr<PreviewComposer> composer, TState state)
    : m_core(std::make_shared<Core>()) {
    m_core->background = std::move(background);
    m_core->backgroundFormat = backgroundFormat;
    m_core->composer = std::move(composer);
    m_core->state = std::move(state);
}

PlaybackWorker::~PlaybackWorker() {
    DetachNotifications();
    Stop(std::chrono::milliseconds(2000));
}

void PlaybackWorker::SetNotifications(Notifications notifications) {
    std::lock_guard lock(m_core->mutex);
    m_core->notifications = std::move(notifications);
}

void PlaybackWorker::DetachNotifications() {
    std::lock_guard lock(m_core->mutex);
    m_core->notifications = {};
}

void PlaybackWorker::Start() {
    if (m_started) {
        return;
    }
    m_core->enabled.store(true);
    std::thread([core = m_core] { core->Run(); }).detach();
    m_started = true;
}

void PlaybackWorker::SetEnabled(bool enabled) {
    m_core->enabled.store(enabled);
}

void PlaybackWorker::SetComposing(bool composing) {
    m_core->composing.store(composing);
}

void PlaybackWorker::SetClosing(bool closing) {
    m_core->closing.store(closing);
}

void PlaybackWorker::PublishLayout(const TPipSetup& layout) {
    auto snapshot = std::make_shared<const TPipSetup>(layout);
    std::lock_guard lock(m_core->mutex);
    m_core->layout = std::move(snapshot);
}

void PlaybackWorker::PublishBorders(media::FramePtr borders) {
    std::lock_guard lock(m_core->mutex);
    m_core->borders.swap(borders);
    // The old overlay is released here, outside the worker's path.
}

media::FramePtr PlaybackWorker::LatestFrame() const {
    std::lock_guard lock(m_core->mutex);
    return m_core->latest;
}

VideoSize PlaybackWorker::videoSize() const {
    const std::uint64_t size = m_core->videoSize.load();
    return VideoSize{int(size >> 32), int(size & 0xFFFFFFFFu)};
}

TState PlaybackWorker::State() const {
    std::lock_guard lock(m_core->mutex);
    return m_core->state;
}

void PlaybackWorker::FrameShown() {
    m_core->framePending.store(false);
}

bool PlaybackWorker::Stop(std::chrono::milliseconds timeout) {
    m_core->enabled.store(false);
    if (m_core->stop.exchange(true)) {
        timeout = std::chrono::milliseconds(0); // asked before: do not wait twice
    }
    std::unique_lock lock(m_core->mutex);
    m_core->wake.notify_all();
    if (!m_started) {
        return true;
    }
    return m_core->wake.wait_for(lock, timeout, [&] { return m_core->exited; });
}

bool PlaybackWorker::ThreadPlaybackExecute() {
    if (m_started) {
        return false;
    }
    return m_core->Cycle();
}

} // namespace quorvel
