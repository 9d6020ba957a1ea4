#include "preview/media/ffmpeg_reader.h"

#include <QRegularExpression>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "preview/media/ffmpeg_support.h"
#include "preview/media/video_format.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace quorvel::media {

namespace {

constexpr std::chrono::milliseconds kRetryDelay{1000};
constexpr std::chrono::milliseconds kLiveIoTimeout{5000};
// A paced file that falls further behind than this restarts its clock instead of racing.
constexpr std::chrono::milliseconds kMaxLag{500};

} // namespace

bool IsLiveSourceName(const QString& url) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+://"));
    if (url.startsWith(QLatin1String("/dev/"))) {
        return true;
    }
    return scheme.match(url).hasMatch() && !url.startsWith(QLatin1String("file://"));
}

struct FfmpegReader::State {
    std::mutex mutex;
    std::condition_variable wake;

    // Set once by Open, read-only afterwards.
    QString url;
    bool loop = false;
    bool pull = false; // image sequence: one picture per NextFrame
    bool live = false;

    std::atomic<bool> abort{false};
    std::atomic<std::int64_t> ioStartNs{0}; // steady time at which the current blocking call began
    std::atomic<int> targetWidth{0};
    std::atomic<int> targetHeight{0};

    // Guarded by mutex.
    FramePtr latest;
    std::int64_t sequence = 0;
    Clock::time_point latestAt{};
    bool still = false;
    bool taken = true;
    bool exited = false;
    double durationSeconds = 0.0;
    std::optional<Clock::time_point> nextDue;
    std::int64_t playbackSequence = 0;
    FramePtr converted; // latest in the last requested size
    std::int64_t convertedSequence = -1;

    FramePool pool{4};

    bool Aborted() const { return abort.load(std::memory_order_relaxed); }

    // Waits until `until` or an abort; false on abort.
    bool SleepUntil(Clock::time_point until) {
        std::unique_lock lock(mutex);
        wake.wait_until(lock, until, [&] { return Aborted(); });
        return !Aborted();
    }

    void Publish(MutableFramePtr frame, std::optional<Clock::time_point> due) {
        std::unique_lock lock(mutex);
        latest = std::move(frame);
        ++sequence;
        latestAt = Clock::now();
        nextDue = due;
        taken = false;
        if (pull) {
            wake.wait(lock, [&] { return taken || Aborted(); });
        }
    }
};

namespace {

int InterruptCallback(void* opaque) {
    auto* state = static_cast<FfmpegReader::State*>(opaque);
    if (state->Aborted()) {
        return 1;
    }
    if (!state->live) {
        return 0;
    }
    const std::int64_t started = state->ioStartNs.load(std::memory_order_relaxed);
    const std::int64_t now = Clock::now().time_since_epoch().count();
    return now - started > std::chrono::duration_cast<Clock::duration>(kLiveIoTimeout).count() ? 1
                                                                                               : 0;
}

void MarkIo(FfmpegReader::State& state) {
    state.ioStartNs.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
}

enum class RunEnd { Aborted, Ended, Failed, Still };

// Opens, decodes and publishes until the source ends, fails or the reader is closed.
RunEnd RunSource(FfmpegReader::State& state) {
    DemuxContext demux;
    MarkIo(state);
    if (!demux.Open(state.url, &InterruptCallback, &state)) {
        return state.Aborted() ? RunEnd::Aborted : RunEnd::Failed;
    }
    {
        std::lock_guard lock(state.mutex);
        state.durationSeconds = demux.DurationSeconds();
    }
    FrameConverter converter;
    std::int64_t framesThisPass = 0;
    std::int64_t framesTotal = 0;
    bool haveBase = false;
    Clock::time_point base{};
    MutableFramePtr pendingStill;

    for (;;) {
        if (state.Aborted()) {
            return RunEnd::Aborted;
        }
        MarkIo(state);
        AVFrame* decoded = nullptr;
        const DecodeResult result = demux.DecodeNext(decoded);
        if (result == DecodeResult::Error) {
            return state.Aborted() ? RunEnd::Aborted : RunEnd::Failed;
        }
        if (result == DecodeResult::EndOfStream) {
            if (framesTotal == 1 && pendingStill) {
                std::lock_guard lock(state.mutex);
                state.still = true;
                state.latest = std::move(pendingStill);
                ++state.sequence;
                state.latestAt = Clock::now();
                state.taken = false;
                state.nextDue.reset();
                return RunEnd::Still;
            }
            if (framesTotal == 0 || !state.loop) {
                return framesTotal == 0 ? RunEnd::Failed : RunEnd::Ended;
            }
            if (pendingStill) {
                // The first picture was held back to see whether it was the only one.
                state.Publish(std::move(pendingStill), std::nullopt);
            }
            if (!demux.Rewind()) {
                return RunEnd::Failed;
            }
            framesThisPass = 0;
            haveBase = false;
            continue;
        }
        MutableFramePtr frame =
            converter.Convert(*decoded, state.targetWidth.load(std::memory_order_relaxed),
                              state.targetHeight.load(std::memory_order_relaxed), state.pool);
        if (!frame) {
            continue;
        }
        ++framesThisPass;
        ++framesTotal;
        if (framesTotal == 1 && !state.live && !state.pull) {
            // Hold the first picture of a file until a second one shows it is a clip.
            pendingStill = std::move(frame);
            continue;
        }
        if (pendingStill) {
            state.Publish(std::move(pendingStill), std::nullopt);
        }
        std::optional<Clock::time_point> due;
        if (!state.live && !state.pull) {
            const double seconds = demux.FrameSeconds(*decoded);
            const auto offset =
                std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
            const Clock::time_point now = Clock::now();
            if (!haveBase || base + offset < now - kMaxLag) {
                base = now - offset;
                haveBase = true;
            }
            if (!state.SleepUntil(base + offset)) {
                return RunEnd::Aborted;
            }
            due = base + offset +
                  std::chrono::duration_cast<Clock::duration>(
                      std::chrono::duration<double>(demux.FrameDurationSeconds()));
        }
        state.Publish(std::move(frame), due);
    }
}

void ThreadMain(std::shared_ptr<FfmpegReader::State> state) {
    while (!state->Aborted()) {
        const RunEnd end = RunSource(*state);
        if (end == RunEnd::Aborted || end == RunEnd::Still) {
            break;
        }
        if (end == RunEnd::Ended && !state->live) {
            std::lock_guard lock(state->mutex);
            state->latest.reset();
            state->converted.reset();
            break;
        }
        // A failed or ended live source, or a file that cannot be read (yet): try again later.
        {
            std::lock_guard lock(state->mutex);
            if (!state->live) {
                state->latest.reset();
                state->converted.reset();
            }
        }
        if (!state->SleepUntil(Clock::now() + kRetryDelay)) {
            break;
        }
    }
    std::lock_guard lock(state->mutex);
    state->exited = true;
    state->wake.notify_all();
}

} // namespace

FfmpegReader::FfmpegReader() = default;

FfmpegReader::~FfmpegReader() {
    CloseAsync();
}

std::shared_ptr<FfmpegReader::State> FfmpegReader::CurrentState() const {
    std::lock_guard lock(m_stateMutex);
    return m_state;
}

std::shared_ptr<FfmpegReader::State> FfmpegReader::TakeState() {
    std::lock_guard lock(m_stateMutex);
    return std::move(m_state);
}

bool FfmpegReader::Open(const QString& url, const QString& options) {
    CloseAsync();
    if (url.isEmpty()) {
        return false;
    }
    auto state = std::make_shared<State>();
    state->url = url;
    state->loop = OptionsLoop(options);
    state->pull = url.contains(u'*');
    state->live = IsLiveSourceName(url);
    try {
        std::thread(ThreadMain, state).detach();
    } catch (const std::system_error&) {
        return false;
    }
    std::lock_guard lock(m_stateMutex);
    m_state = std::move(state);
    return true;
}

namespace {

FramePtr LatestInSize(FfmpegReader::State& state, const AVProps& format) {
    // mutex held by the caller
    if (!state.latest) {
        return nullptr;
    }
    if (!state.still && !state.pull && state.live && Clock::now() - state.latestAt > kStaleAfter) {
        return nullptr;
    }
    const ResolvedFormat want = ResolveFormat(format);
    state.targetWidth.store(want.width, std::memory_order_relaxed);
    state.targetHeight.store(want.height, std::memory_order_relaxed);
    if (want.width <= 0 || want.height <= 0 ||
        (state.latest->width() == want.width && state.latest->height() == want.height)) {
        return state.latest;
    }
    if (state.convertedSequence != state.sequence || !state.converted ||
        state.converted->width() != want.width || state.converted->height() != want.height) {
        MutableFramePtr resized = state.latest->Resize(want.width, want.height);
        if (resized) {
            resized->Analyse();
        }
        state.converted = std::move(resized);
        state.convertedSequence = state.sequence;
    }
    return state.converted;
}

// An image sequence gives each picture once: true when the newest picture had not been given yet;
// it is then marked as given and the reading thread woken for the next. The state's lock is held.
bool TakePulledPicture(FfmpegReader::State& state) {
    if (state.taken || !state.latest) {
        return false;
    }
    state.taken = true;
    state.wake.notify_all();
    return true;
}

} // namespace

FramePtr FfmpegReader::NextFrame() {
    const std::shared_ptr<State> current = CurrentState();
    if (!current) {
        return nullptr;
    }
    State& state = *current;
    std::lock_guard lock(state.mutex);
    if (state.pull) {
        return TakePulledPicture(state) ? state.latest : nullptr;
    }
    return LatestInSize(state, AVProps{});
}

FramePtr FfmpegReader::FrameInFormat(const AVProps& format) {
    const std::shared_ptr<State> current = CurrentState();
    if (!current) {
        return nullptr;
    }
    std::lock_guard lock(current->mutex);
    return LatestInSize(*current, format);
}

FramePtr FfmpegReader::PlaybackFrame(const AVProps& format, double /*position*/) {
    const std::shared_ptr<State> current = CurrentState();
    if (!current) {
        return nullptr;
    }
    State& state = *current;
    std::lock_guard lock(state.mutex);
    if (state.pull) {
        if (!TakePulledPicture(state)) {
            return nullptr;
        }
    } else if (state.sequence == state.playbackSequence && !state.still) {
        return nullptr;
    }
    FramePtr frame = LatestInSize(state, format);
    if (frame) {
        state.playbackSequence = state.sequence;
    }
    return frame;
}

std::optional<Clock::time_point> FfmpegReader::NextFrameDue() const {
    const std::shared_ptr<State> current = CurrentState();
    if (!current) {
        return std::nullopt;
    }
    std::lock_guard lock(current->mutex);
    return current->nextDue;
}

double FfmpegReader::Duration() const {
    const std::shared_ptr<State> current = CurrentState();
    if (!current) {
        return 0.0;
    }
    std::lock_guard lock(current->mutex);
    return current->durationSeconds;
}

bool FfmpegReader::Close(std::chrono::milliseconds timeout) {
    const std::shared_ptr<State> state = TakeState();
    if (!state) {
        return true;
    }
    std::unique_lock lock(state->mutex);
    state->abort.store(true);
    state->wake.notify_all();
    return state->wake.wait_for(lock, timeout, [&] { return state->exited; });
}

void FfmpegReader::CloseAsync() {
    const std::shared_ptr<State> state = TakeState();
    if (!state) {
        return;
    }
    std::lock_guard lock(state->mutex);
    state->abort.store(true);
    state->wake.notify_all();
}

MutableFramePtr DecodePictureWithFfmpeg(const QString& path, ZeroAlpha zeroAlpha) {
    DemuxContext demux;
    if (!demux.Open(path, nullptr, nullptr)) {
        return nullptr;
    }
    FrameConverter converter;
    FramePool pool(0);
    for (int attempt = 0; attempt < 64; ++attempt) {
        AVFrame* decoded = nullptr;
        const DecodeResult result = demux.DecodeNext(decoded);
        if (result != DecodeResult::Frame) {
            return nullptr;
        }
        if (MutableFramePtr frame = converter.Convert(*decoded, 0, 0, pool, zeroAlpha)) {
            return frame; // the pool keeps nothing, so the frame is simply freed at its end
        }
    }
    return nullptr;
}

} // namespace quorvel::media
