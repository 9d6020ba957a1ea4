#include "preview/composer.h"

#include <QFileInfo>

#include <algorithm>
#include <condition_variable>
#include <thread>

#include "preview/media/frame_factory.h"
#include "util/helpers.h"
#include "util/image/image_tools.h"

namespace quorvel {

namespace {

constexpr int kLoadAttempts = 5;
constexpr std::chrono::milliseconds kAttemptPause{100};
constexpr int kInputRequests = 10;
// Layout values beyond any picture are held here, so that rectangle sums cannot overflow.
constexpr int kCoordinateLimit = 1 << 24;

std::mutex g_jpegFallbackMutex;
JpegFallback g_jpegFallback;

// The readable copy at the video's width, best quality.
void ConvertWithImageTools(const QString& source, const QString& copy, int width, int height) {
    try {
        ConvertJPEGFile(source, copy, width, height, 100, false, false, false);
    } catch (const ImageError&) {
        // No copy: the picture is simply not drawn.
    }
}

int Clamped(std::int32_t v) {
    return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}

} // namespace

void SetJpegFallback(JpegFallback converter) {
    std::lock_guard lock(g_jpegFallbackMutex);
    g_jpegFallback = std::move(converter);
}

media::FramePtr LoadPictureFrame(const QString& fileName, int width, int height) {
    media::FramePtr picture;
    for (int attempt = 0; attempt < kLoadAttempts && !picture; ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(kAttemptPause);
        }
        picture = media::LoadPicture(fileName);
        if (picture) {
            break;
        }
        const QString suffix = QFileInfo(fileName).suffix().toUpper();
        if (suffix != QLatin1String("JPG") && suffix != QLatin1String("JPEG")) {
            continue;
        }
        const QString copy = TempJPEGCopyPath(fileName);
        ForceFolder(QFileInfo(copy).absolutePath());
        if (!QFileInfo::exists(copy)) {
            JpegFallback converter;
            {
                std::lock_guard lock(g_jpegFallbackMutex);
                converter = g_jpegFallback;
            }
            if (converter) {
                converter(fileName, copy, width, height);
            } else {
                ConvertWithImageTools(fileName, copy, width, height);
            }
        }
        if (QFileInfo::exists(copy)) {
            picture = media::LoadPicture(copy);
        }
    }
    if (!picture) {
        return nullptr;
    }
    if (width <= 0 || height <= 0 || picture->size() == QSize(width, height)) {
        return picture;
    }
    for (int attempt = 0; attempt < kLoadAttempts; ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(kAttemptPause);
        }
        if (media::MutableFramePtr resized = picture->Resize(width, height)) {
            if (!resized->opaque()) {
                resized->Analyse();
            }
            return resized;
        }
    }
    return nullptr;
}

void LoadPictureFile(const QString& fileName, media::FramePtr& frame) {
    if (!QFileInfo(fileName).isFile()) {
        return;
    }
    frame = media::LoadPicture(fileName);
}

struct PreviewComposer::PendingPicture {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    media::FramePtr picture;
};

PreviewComposer::PreviewComposer(std::shared_ptr<const InputSet> inputs,
                                 std::map<int, QString> inputMap, PictureLoading loading,
                                 TestSourceMotion motion)
    : m_inputs(std::move(inputs))
    , m_inputMap(std::move(inputMap))
    , m_loading(loading)
    , m_motion(motion) {}

PreviewComposer::~PreviewComposer() {
    CloseOverlayReaders();
}

void PreviewComposer::CloseOverlayReaders() {
    if (m_backReader) {
        m_backReader->CloseAsync();
        m_backReader.reset();
    }
    if (m_frontReader) {
        m_frontReader->CloseAsync();
        m_frontReader.reset();
    }
}

void PreviewComposer::GetInputFrame(int index, media::FramePtr& frame) const {
    if (!m_inputs || index < 1 || index > kMaxPreviewInputs) {
        return;
    }
    const media::ReaderPtr& reader = m_inputs->readers[std::size_t(index)];
    if (!reader) {
        return;
    }
    media::FramePtr got = m_inputs->isDevice[std::size_t(index)]
                              ? reader->NextFrame()
                              : reader->FrameInFormat(m_inputs->formats[std::size_t(index)]);
    if (got) {
        frame = std::move(got);
    }
}

void PreviewComposer::SetUpBack(const QString& name, QSize video) {
    m_sBackFile = name;
    m_bBackFileImage = IsImageFileName(name);
    m_bBackFileImageSeq = m_bBackFileImage && name.contains(u'*');
    if (m_backReader) {
        m_backReader->CloseAsync();
        m_backReader.reset();
    }
    m_pendingBack.reset();
    if (m_bBackFileImage && !m_bBackFileImageSeq) {
        m_pFrameBackOver.reset();
        auto pending = std::make_shared<PendingPicture>();
        auto load = [pending, name, video] {
            media::FramePtr picture = LoadPictureFrame(name, video.width(), video.height());
            std::lock_guard lock(pending->mutex);
            pending->picture = std::move(picture);
            pending->finished = true;
            pending->done.notify_all();
        };
        if (m_loading == PictureLoading::Blocking) {
            load();
        } else {
            try {
                std::thread(load).detach();
            } catch (const std::system_error&) {
                load();
            }
        }
        m_pendingBack = std::move(pending);
        TakeLoadedPicture();
    } else if (!name.isEmpty()) {
        m_backReader = OpenSource(name, QStringLiteral("loop=true"), m_inputMap, m_motion);
    }
}

void PreviewComposer::TakeLoadedPicture() {
    if (!m_pendingBack) {
        return;
    }
    {
        std::lock_guard lock(m_pendingBack->mutex);
        if (!m_pendingBack->finished) {
            return;
        }
        m_pFrameBackOver = m_pendingBack->picture;
    }
    m_pendingBack.reset();
}

bool PreviewComposer::WaitForPictures(std::chrono::milliseconds timeout) {
    if (!m_pendingBack) {
        return true;
    }
    std::shared_ptr<PendingPicture> pending = m_pendingBack;
    std::unique_lock lock(pending->mutex);
    return pending->done.wait_for(lock, timeout, [&] { return pending->finished; });
}

ComposeLayers PreviewComposer::BuildLayers(const media::FramePtr& frame, const TPipSetup& layout,
                                           const media::FramePtr& borders) {
    ComposeLayers layers;
    layers.background = frame;
    const QSize video = frame->size();
    const TPipEntry& first = layout[0];

    // Back overlay.
    const QString backFile = ShortStringText(first.BackFile);
    if (backFile != m_sBackFile) {
        SetUpBack(backFile, video);
    }
    if (!backFile.isEmpty()) {
        TakeLoadedPicture();
        media::FramePtr got;
        if (m_backReader &&
            (!m_bBackFileImage ||
             (m_iCounterBackPIP % kSequenceFrameInterval == 0 && m_bBackFileImageSeq))) {
            got = m_backReader->NextFrame();
        }
        if (++m_iCounterBackPIP == kBackCounterWrap) {
            m_iCounterBackPIP = 0;
        }
        if (got) {
            m_pFrameBackOver = std::move(got);
        }
        layers.back = m_pFrameBackOver;
    }

    // The PIPs.
    bool anyVisible = false;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const TPipEntry& e = layout[i];
        if (e.Visible == 0) {
            continue;
        }
        anyVisible = true;
        media::FramePtr pip;
        for (int request = 0; request < kInputRequests && !pip; ++request) {
            GetInputFrame(e.InputIndex, pip);
        }
        if (!pip) {
            continue;
        }
        const int left = Clamped(e.RecLeft);
        const int top = Clamped(e.RecTop);
        const int right = Clamped(e.RecRight);
        const int bottom = Clamped(e.RecBottom);
        QRect source;
        if (e.RecBottom == kUnsetMarker ||
            (left == 0 && top == 0 && right == video.width() && bottom == video.height())) {
            source = pip->rect();
        } else if (right > left && bottom > top) {
            source = QRect(left, top, right - left, bottom - top) & pip->rect();
        }
        const QRect target(Clamped(e.PosX), Clamped(e.PosY), Clamped(e.Width), Clamped(e.Height));
        if (source.isEmpty() || target.isEmpty()) {
            continue;
        }
        layers.pips[i] = PipLayer{std::move(pip), source, target};
    }
    if (anyVisible) {
        layers.borders = borders;
    }

    // Front overlay.
    const QString frontFile = ShortStringText(first.FrontFile);
    if (frontFile != m_sFrontFile) {
        m_sFrontFile = frontFile;
        if (m_frontReader) {
            m_frontReader->CloseAsync();
            m_frontReader.reset();
        }
        if (!frontFile.isEmpty()) {
            m_frontReader =
                OpenSource(frontFile, QStringLiteral("loop=true"), m_inputMap, m_motion);
        }
    }
    if (!frontFile.isEmpty()) {
        if (m_frontReader) {
            if (media::FramePtr got = m_frontReader->NextFrame()) {
                m_pFrameFrontOver = std::move(got);
            }
        }
        layers.front = m_pFrameFrontOver;
    }
    return layers;
}

void PreviewComposer::ComposeFrame(media::FramePtr& frame, const TPipSetup& layout,
                                   const media::FramePtr& borders) {
    if (!frame) {
        return;
    }
    const ComposeLayers layers = BuildLayers(frame, layout, borders);
    const bool anything = layers.back || layers.borders || layers.front ||
                          std::any_of(layers.pips.begin(), layers.pips.end(),
                                      [](const PipLayer& p) { return p.frame != nullptr; });
    if (!anything) {
        return;
    }
    media::MutableFramePtr out = m_outputs.Acquire(frame->width(), frame->height());
    ComposeFast(layers, *out);
    out->SetOpaque(frame->opaque());
    frame = std::move(out);
}

} // namespace quorvel
