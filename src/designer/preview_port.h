#pragma once
// What the designer window asks of the live preview. The window talks only to this interface, so
// it runs (and is tested) with no preview at all; the application binds it to the preview engine.

#include <QObject>
#include <QString>

#include "core/pip_entry.h"

class QWidget;

namespace quorvel {

// What the preview needs to start: the programme input, the inputs to open and where to read
// their flags and formats.
struct PreviewStartInfo {
    int indexProgram = 1;     // background input when there is no checkerboard.png
    int inputCount = 4;       // already clamped to 0..8
    QString handoffPath;      // the per-input device flags and formats are read from here
    QString executableFolder; // where checkerboard.png and back_transp.png are looked for
};

// Every call comes from the window thread. videoSizeChanged must reach the window thread (queued
// when the preview emits it elsewhere).
class PreviewPort : public QObject {
    Q_OBJECT
public:
    explicit PreviewPort(QObject* parent = nullptr);
    ~PreviewPort() override;

    // The widget that shows the preview, placed into the window's preview panel; nullptr shows
    // the panel's black ground. Called once, while the window is built; the window owns it.
    virtual QWidget* CreateSurface(QWidget* parent) = 0;

    virtual void InitVideo(int videoFormatCode) = 0;
    // Loads "back_transp.png" from the folder, the base of the border overlay.
    virtual void LoadTransparentFrame(const QString& executableFolder) = 0;
    // May throw: the window reports the error and does not open the start slot.
    virtual void StartPreview(const PreviewStartInfo& startup) = 0;
    // A snapshot of the record after every change; the preview composes from it.
    virtual void PublishLayout(const TPipSetup& setup) = 0;
    // Redraws the border overlay from the record.
    virtual void RefreshBorders(const TPipSetup& setup) = 0;
    // The layout is drawn onto the preview frames from now on.
    virtual void SetComposing(bool on) = 0;
    // The playback worker idles from its next cycle on.
    virtual void SetClosing(bool on) = 0;
    // Starts (true) or stops (false) the output into the surface; stopping and starting again
    // refits it to the surface's size.
    virtual void SetShowing(bool on) = 0;
    // Releases the sources; must return even when a source hangs (the halt watchdog covers it).
    virtual void StopPreview() = 0;

signals:
    // The frames' size, in video pixels, changed (also for the first frame).
    void videoSizeChanged(int width, int height);
};

} // namespace quorvel
