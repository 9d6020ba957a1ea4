#include "preview/preview_engine.h"

#include <QFileInfo>

#include <algorithm>

#include "preview/borders.h"
#include "preview/input_sources.h"
#include "preview/media/video_format.h"
#include "preview/playback_worker.h"
#include "storage/handoff.h"
#include "util/helpers.h"

namespace quorvel {

namespace {
// How long StopPreview waits, in all, for the worker and then for the inputs' threads. A thread
// still running when the process exits can crash it during static destruction, so the waits leave
// room for a loaded machine; the designer's halt watchdog, armed before the preview is released,
// still ends the process one second after the window's destruction began.
constexpr std::chrono::milliseconds kWorkerStopWait{2000};
constexpr std::chrono::milliseconds kInputsCloseWait{2000};
} // namespace

PreviewEngine::PreviewEngine(QObject* parent)
    : QObject(parent) {}

PreviewEngine::~PreviewEngine() {
    StopPreview();
}

void PreviewEngine::InitVideo(int videoFormatCode) {
    m_avProps = media::AVPropsForCode(videoFormatCode);
}

void PreviewEngine::LoadTransparentFrame(const QString& executableFolder) {
    m_transparentLoaded = true;
    LoadPictureFile(WithTrailingDelimiter(executableFolder) + QStringLiteral("back_transp.png"),
                    m_pTranspFrame);
}

void PreviewEngine::StartPreview(const PreviewStartup& startup) {
    if (m_worker) {
        return;
    }
    if (!m_transparentLoaded) {
        LoadTransparentFrame(startup.executableFolder);
    }
    m_inputCount = ClampInputCount(startup.inputCount);
    m_inputs = std::make_shared<InputSet>();
    for (int i = 1; i <= m_inputCount; ++i) {
        m_inputs->isDevice[std::size_t(i)] = ReadInputIsDevice(startup.handoffPath, i);
        m_inputs->formats[std::size_t(i)].formatCode = ReadInputFormat(startup.handoffPath, i);
    }
    const std::map<int, QString> inputMap = ReadInputMap(
        startup.settingsPath.isEmpty() ? DesignerSettingsPath() : startup.settingsPath);

    const QString checkerboard =
        WithTrailingDelimiter(startup.executableFolder) + QStringLiteral("checkerboard.png");
    const QString url = !startup.executableFolder.isEmpty() && QFileInfo(checkerboard).isFile()
                            ? checkerboard
                            : InputUrl(startup.indexProgram);
    OpenSources(url, inputMap);

    TState state(eState::eST_PlayFwd, -1.0, 0.0, 1.0, QString(), true);
    state.m_dblDuration = m_background ? m_background->Duration() : 0.0;
    state.m_strFileName = url;
    state.m_bLoop = true;
    state.m_dblRate = 1.0; // StartPlayback
    state.m_state = eState::eST_PlayFwd;

    auto composer = std::make_unique<PreviewComposer>(m_inputs, inputMap,
                                                      PreviewComposer::PictureLoading::Background);
    m_worker = std::make_unique<PlaybackWorker>(m_background, m_avProps, std::move(composer),
                                                std::move(state));
    PlaybackWorker::Notifications notifications;
    // Called on the worker: post to the window thread and return.
    notifications.frameReady = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_worker) {
                    m_worker->FrameShown();
                }
                emit frameReady();
            },
            Qt::QueuedConnection);
    };
    notifications.videoSizeChanged = [this](int width, int height) {
        QMetaObject::invokeMethod(
            this,
            [this, width, height] {
                if (m_borderSetup) {
                    RefreshBorders(*m_borderSetup);
                }
                emit videoSizeChanged(width, height);
            },
            Qt::QueuedConnection);
    };
    m_worker->SetNotifications(std::move(notifications));
    if (m_layout) {
        m_worker->PublishLayout(*m_layout);
    }
    m_worker->PublishBorders(m_pFrameBorders);
    m_worker->SetComposing(m_bStartPIP);
    m_worker->SetClosing(m_bClosing);
    m_worker->Start();
}

void PreviewEngine::OpenSources(const QString& url, const std::map<int, QString>& inputMap) {
    for (int i = 1; i <= m_inputCount; ++i) {
        m_inputs->readers[std::size_t(i)] = OpenSource(InputUrl(i), QString(), inputMap);
    }
    m_background = OpenSource(url, QString(), inputMap);
    m_backgroundUrl = url;
}

void PreviewEngine::PublishLayout(const TPipSetup& setup) {
    m_layout = setup;
    if (m_worker) {
        m_worker->PublishLayout(setup);
    }
}

void PreviewEngine::RefreshBorders(const TPipSetup& setup) {
    m_borderSetup = setup;
    media::FramePtr overlay = MakeBorderOverlay(m_pTranspFrame, setup, videoSize());
    if (!overlay) {
        return; // no base and no size yet: drawn again once the size is known
    }
    m_pFrameBorders = std::move(overlay);
    if (m_worker) {
        m_worker->PublishBorders(m_pFrameBorders);
    }
}

void PreviewEngine::SetComposing(bool on) {
    m_bStartPIP = on;
    if (m_worker) {
        m_worker->SetComposing(on);
    }
}

void PreviewEngine::SetClosing(bool on) {
    m_bClosing = on;
    if (m_worker) {
        m_worker->SetClosing(on);
    }
}

void PreviewEngine::StopPreview() {
    if (!m_worker) {
        return;
    }
    m_worker->DetachNotifications();
    m_worker->Stop(kWorkerStopWait);
    m_stoppedFrame = m_worker->LatestFrame();
    m_stoppedSize = m_worker->videoSize();
    m_worker.reset();

    // Inputs: the first close form for each, within one shared deadline; if any of them did not
    // close in time, all get the second form, which never waits.
    const auto deadline = std::chrono::steady_clock::now() + kInputsCloseWait;
    bool allClosed = true;
    for (int i = 1; i <= m_inputCount; ++i) {
        if (const media::ReaderPtr& reader = m_inputs->readers[std::size_t(i)]) {
            const auto left = std::max(std::chrono::steady_clock::duration::zero(),
                                       deadline - std::chrono::steady_clock::now());
            if (!reader->Close(std::chrono::duration_cast<std::chrono::milliseconds>(left))) {
                allClosed = false;
                break;
            }
        }
    }
    if (!allClosed) {
        for (int i = 1; i <= m_inputCount; ++i) {
            if (const media::ReaderPtr& reader = m_inputs->readers[std::size_t(i)]) {
                reader->CloseAsync();
            }
        }
    }
    m_inputs.reset();
    if (m_background) {
        m_background->CloseAsync();
        m_background.reset();
    }
}

VideoSize PreviewEngine::videoSize() const {
    return m_worker ? m_worker->videoSize() : m_stoppedSize;
}

media::FramePtr PreviewEngine::LatestMediaFrame() const {
    return m_worker ? m_worker->LatestFrame() : m_stoppedFrame;
}

std::shared_ptr<const QImage> PreviewEngine::LatestFrame() const {
    media::FramePtr frame = LatestMediaFrame();
    if (!frame) {
        return nullptr;
    }
    if (frame != m_shownFrame) {
        // The image shares the frame's pixels and keeps the frame alive as long as it lives.
        auto* keep = new media::FramePtr(frame);
        m_shownImage = std::make_shared<const QImage>(
            frame->bits(), frame->width(), frame->height(), qsizetype(frame->rowBytes()),
            QImage::Format_ARGB32_Premultiplied,
            [](void* info) { delete static_cast<media::FramePtr*>(info); }, keep);
        m_shownFrame = std::move(frame);
    }
    return m_shownImage;
}

} // namespace quorvel
