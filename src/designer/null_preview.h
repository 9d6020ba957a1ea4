#pragma once
// A preview that shows nothing. The window runs with it where there is no preview engine; tests
// give it the video size that a preview would learn from its first frame.

#include "designer/preview_port.h"

namespace quorvel {

class NullPreview : public PreviewPort {
    Q_OBJECT
public:
    // videoSize: reported (queued) when the preview starts, as a first frame would; 0 x 0 reports
    // nothing, as a preview that gets no frames.
    explicit NullPreview(VideoSize videoSize = {}, QObject* parent = nullptr);

    // Reports a new frame size (queued), as the preview does when the frames change size.
    void SetVideoSize(VideoSize videoSize);

    QWidget* CreateSurface(QWidget* parent) override;
    void InitVideo(int videoFormatCode) override;
    void LoadTransparentFrame(const QString& executableFolder) override;
    void StartPreview(const PreviewStartInfo& startup) override;
    void PublishLayout(const TPipSetup& setup) override;
    void RefreshBorders(const TPipSetup& setup) override;
    void SetComposing(bool on) override;
    void SetClosing(bool on) override;
    void SetShowing(bool on) override;
    void StopPreview() override;

private:
    VideoSize m_videoSize;
};

} // namespace quorvel
