#pragma once
// The composition of each preview frame and the state it keeps between frames: the back and front
// overlays (their readers, the file names they were set up for, the image-sequence counter) and the
// switcher inputs' readers. Lives on the playback worker, which alone calls it once the preview
// runs; the command-line tool drives one of its own.

#include <QString>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "core/pip_entry.h"
#include "preview/compose_frame.h"
#include "preview/input_sources.h"
#include "preview/media/media_frame.h"
#include "preview/media/media_reader.h"

namespace quorvel {

inline constexpr int kMaxPreviewInputs = 8;
// m_iCounterBackPIP wraps to 0 on reaching this value.
inline constexpr int kBackCounterWrap = 1000019;
// An image sequence as back overlay advances on every this many composed frames.
inline constexpr int kSequenceFrameInterval = 20;

// The switcher inputs' readers with what each is asked for; index 1 to 8, 0 unused. Filled on the
// window thread before the worker starts and then only read.
struct InputSet {
    std::array<media::ReaderPtr, kMaxPreviewInputs + 1> readers{};
    std::array<bool, kMaxPreviewInputs + 1> isDevice{};
    std::array<media::AVProps, kMaxPreviewInputs + 1> formats{};
};

// Called when a JPEG back picture cannot be read directly: writes a readable copy of source to
// copyPath, at most width pixels wide. True when it did. Without one set (or after
// SetJpegFallback(nullptr)) the image tools' ConvertJPEGFile does it.
using JpegFallback =
    std::function<bool(const QString& source, const QString& copyPath, int width, int height)>;
void SetJpegFallback(JpegFallback converter);

// The back picture at width x height (its own size while the video size is not known), with the
// load and resize attempts of the picture loader: up to five loads 100 ms apart, a JPEG that cannot
// be read falling back to a converted copy "Strevia_Temp_<name>" in <user data>/Temp; then up to
// five resizes. Null when it cannot be loaded. Blocks: never call it on the window thread.
media::FramePtr LoadPictureFrame(const QString& fileName, int width, int height);

// The picture in fileName when the file exists; otherwise frame keeps its value.
void LoadPictureFile(const QString& fileName, media::FramePtr& frame);

class PreviewComposer {
public:
    // How still back pictures are loaded: on a thread of their own while composition goes on
    // (the preview), or right away (offline pictures).
    enum class PictureLoading { Background, Blocking };

    PreviewComposer(std::shared_ptr<const InputSet> inputs, std::map<int, QString> inputMap,
                    PictureLoading loading, TestSourceMotion motion = TestSourceMotion::Live);
    ~PreviewComposer();
    PreviewComposer(const PreviewComposer&) = delete;
    PreviewComposer& operator=(const PreviewComposer&) = delete;

    // frame := the newest frame of input `index` when it gives one; unchanged otherwise (also for
    // an index outside 1 to 8 or an input without reader).
    void GetInputFrame(int index, media::FramePtr& frame) const;

    // Draws the layout onto frame (the cycle's background frame, whose size is the video size):
    // back overlay, the four PIPs, the border overlay (when some PIP is visible) and the front
    // overlay. frame is replaced by the composed frame.
    void ComposeFrame(media::FramePtr& frame, const TPipSetup& layout,
                      const media::FramePtr& borders);

    // The layers ComposeFrame would draw for this frame (advances the overlays like it does).
    ComposeLayers BuildLayers(const media::FramePtr& frame, const TPipSetup& layout,
                              const media::FramePtr& borders);

    // Waits until a still back picture being loaded has arrived (at most `timeout`); for callers
    // that need the picture in their next frame.
    bool WaitForPictures(std::chrono::milliseconds timeout);

    // Stops the back and front readers without waiting.
    void CloseOverlayReaders();

    int backCounter() const { return m_iCounterBackPIP; }

private:
    struct PendingPicture;
    void SetUpBack(const QString& name, QSize video);
    void TakeLoadedPicture();

    std::shared_ptr<const InputSet> m_inputs;
    std::map<int, QString> m_inputMap;
    PictureLoading m_loading;
    TestSourceMotion m_motion;
    media::FramePool m_outputs{3};

    QString m_sBackFile;
    bool m_bBackFileImage = false;
    bool m_bBackFileImageSeq = false;
    int m_iCounterBackPIP = 0;
    media::FramePtr m_pFrameBackOver;
    media::ReaderPtr m_backReader;
    std::shared_ptr<PendingPicture> m_pendingBack;

    QString m_sFrontFile;
    media::FramePtr m_pFrameFrontOver;
    media::ReaderPtr m_frontReader;
};

} // namespace quorvel
