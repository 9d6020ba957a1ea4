#include "preview/media/frame_factory.h"

#include <QFileInfo>
#include <QImageReader>

#include <condition_variable>
#include <thread>

#include "preview/media/ffmpeg_reader.h"
#include "preview/media/video_format.h"

namespace quorvel::media {

MutableFramePtr LoadPicture(const QString& fileName) {
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile()) {
        return nullptr;
    }
    MutableFramePtr frame;
    // Qt reads 32-bit BMP without its alpha; FFmpeg keeps it.
    const bool bmp =
        QFileInfo(fileName).suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0;
    if (bmp) {
        frame = DecodePictureWithFfmpeg(fileName, ZeroAlpha::MeansOpaque);
    }
    if (!frame) {
        QImageReader reader(fileName);
        reader.setAutoTransform(false);
        const QImage image = reader.read();
        if (!image.isNull()) {
            frame = MediaFrame::FromImage(image);
        } else {
            frame = DecodePictureWithFfmpeg(fileName);
        }
    }
    if (frame && !frame->opaque()) {
        frame->Analyse();
    }
    return frame;
}

bool IsStillPictureName(const QString& fileName) {
    if (fileName.contains(u'*')) {
        return false;
    }
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    static const QStringList kSuffixes{QStringLiteral("png"),  QStringLiteral("jpg"),
                                       QStringLiteral("jpeg"), QStringLiteral("bmp"),
                                       QStringLiteral("tga"),  QStringLiteral("gif"),
                                       QStringLiteral("tif"),  QStringLiteral("tiff")};
    return kSuffixes.contains(suffix);
}

struct PictureReader::State {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    FramePtr picture;
    FramePtr converted;
};

bool PictureReader::Open(const QString& url, const QString& /*options*/) {
    CloseAsync();
    auto state = std::make_shared<State>();
    try {
        std::thread([state, url] {
            FramePtr picture = LoadPicture(url);
            std::lock_guard lock(state->mutex);
            state->picture = std::move(picture);
            state->finished = true;
            state->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_state = std::move(state);
    m_playbackStarted = false;
    return true;
}

std::shared_ptr<PictureReader::State> PictureReader::CurrentState() const {
    std::lock_guard lock(m_mutex);
    return m_state;
}

FramePtr PictureReader::NextFrame() {
    return FrameInFormat(AVProps{});
}

FramePtr PictureReader::FrameInFormat(const AVProps& format) {
    const std::shared_ptr<State> state = CurrentState();
    if (!state) {
        return nullptr;
    }
    const ResolvedFormat want = ResolveFormat(format);
    std::lock_guard lock(state->mutex);
    if (!state->picture || want.width <= 0 || want.height <= 0 ||
        state->picture->size() == QSize(want.width, want.height)) {
        return state->picture;
    }
    if (!state->converted || state->converted->size() != QSize(want.width, want.height)) {
        MutableFramePtr resized = state->picture->Resize(want.width, want.height);
        if (resized && !resized->opaque()) {
            resized->Analyse();
        }
        state->converted = std::move(resized);
    }
    return state->converted;
}

FramePtr PictureReader::PlaybackFrame(const AVProps& format, double /*position*/) {
    const ResolvedFormat want = ResolveFormat(format);
    const double fps = want.framesPerSecond > 0.0 ? want.framesPerSecond : 30.0;
    const auto period =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / fps));
    {
        std::lock_guard lock(m_mutex);
        const Clock::time_point now = Clock::now();
        if (m_playbackStarted && now < m_nextDue) {
            return nullptr;
        }
        m_nextDue =
            (m_playbackStarted && now - m_nextDue < period) ? m_nextDue + period : now + period;
    }
    FramePtr frame = FrameInFormat(format);
    if (frame) {
        std::lock_guard lock(m_mutex);
        m_playbackStarted = true;
    }
    return frame;
}

std::optional<Clock::time_point> PictureReader::NextFrameDue() const {
    std::lock_guard lock(m_mutex);
    if (!m_playbackStarted) {
        return std::nullopt;
    }
    return m_nextDue;
}

bool PictureReader::Close(std::chrono::milliseconds timeout) {
    std::shared_ptr<State> state;
    {
        std::lock_guard lock(m_mutex);
        state = std::move(m_state);
    }
    if (!state) {
        return true;
    }
    std::unique_lock lock(state->mutex);
    return state->done.wait_for(lock, timeout, [&] { return state->finished; });
}

void PictureReader::CloseAsync() {
    std::lock_guard lock(m_mutex);
    m_state.reset();
}

} // namespace quorvel::media
