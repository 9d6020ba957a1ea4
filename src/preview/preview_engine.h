#pragma once
// The live preview as the designer window sees it: it opens the switcher inputs and the
// background, runs the playback worker that composes the layout onto every background frame, and
// hands the newest frame to the preview surface.
//
// Lives on the window thread; every call below is made there and returns at once (opening a
// source, loading a picture and reading frames run on threads of their own). Nothing here can
// keep the window from closing: stopping waits a bounded moment and leaves anything slower to end
// on its own.

#include <QImage>
#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <optional>

#include "core/pip_entry.h"
#include "preview/composer.h"
#include "preview/media/media_frame.h"

namespace quorvel {

class PlaybackWorker;

struct PreviewStartup {
    int indexProgram = 1;     // m_iIndexProgram: background input when no checkerboard.png
    int inputCount = 4;       // clamped to 0..8 here too
    QString handoffPath;      // where the per-input readers read device flags and formats
    QString executableFolder; // where checkerboard.png and back_transp.png are looked for
    QString settingsPath;     // the [Inputs] map; empty for the designer's settings file
};

class PreviewEngine : public QObject {
    Q_OBJECT
public:
    explicit PreviewEngine(QObject* parent = nullptr);
    ~PreviewEngine() override;

    // The format the background is requested in (hand-off video format code).
    void InitVideo(int videoFormatCode);
    media::AVProps videoFormat() const { return m_avProps; }

    // Loads "back_transp.png" from the folder as the base of the border overlay (kept when missing:
    // the borders are then drawn on a transparent frame of the video size). StartPreview calls it
    // when it has not run yet.
    void LoadTransparentFrame(const QString& executableFolder);

    // Opens the inputs and the background ("checkerboard.png" in the executable's folder, else the
    // programme input) and starts the playback worker.
    void StartPreview(const PreviewStartup& startup);
    bool running() const { return m_worker != nullptr; }
    // The background's name as opened ("" before StartPreview).
    QString backgroundUrl() const { return m_backgroundUrl; }

    // The layout the worker composes from, from its next frame on.
    void PublishLayout(const TPipSetup& setup);
    // Redraws the border overlay for the layout (and again when the video size changes).
    void RefreshBorders(const TPipSetup& setup);
    void SetComposing(bool on); // m_bStartPIP
    void SetClosing(bool on);   // m_bClosing: the worker idles
    // Stops the worker and closes every source; bounded, never hangs.
    void StopPreview();

    VideoSize videoSize() const;
    // The newest frame (premultiplied ARGB32, sharing the frame's pixels); null before the first.
    std::shared_ptr<const QImage> LatestFrame() const;
    media::FramePtr LatestMediaFrame() const;
    // The border overlay as last drawn (null before the first refresh).
    media::FramePtr BorderOverlay() const { return m_pFrameBorders; }

signals:
    void frameReady();                            // queued to the window thread
    void videoSizeChanged(int width, int height); // the refit request

private:
    void OpenSources(const QString& url, const std::map<int, QString>& inputMap);

    media::AVProps m_avProps;
    media::FramePtr m_pTranspFrame;
    bool m_transparentLoaded = false;
    media::FramePtr m_pFrameBorders;
    std::optional<TPipSetup> m_borderSetup;
    std::optional<TPipSetup> m_layout;
    bool m_bStartPIP = false;
    bool m_bClosing = false;
    int m_inputCount = 0;
    QString m_backgroundUrl;
    std::shared_ptr<InputSet> m_inputs;
    media::ReaderPtr m_background;
    std::unique_ptr<PlaybackWorker> m_worker;
    media::FramePtr m_stoppedFrame;
    VideoSize m_stoppedSize;

    mutable media::FramePtr m_shownFrame;
    mutable std::shared_ptr<const QImage> m_shownImage;
};

} // namespace quorvel
