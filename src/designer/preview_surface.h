#pragma once
// The preview panel's surface: shows the preview engine's newest frame fitted to itself
// (letterboxed on black), repainting whenever the engine announces a frame.

#include <QPointer>
#include <QWidget>

#include <memory>

#include "preview/preview_engine.h"

namespace quorvel {

class PreviewSurface : public QWidget {
    Q_OBJECT
public:
    explicit PreviewSurface(QWidget* parent = nullptr);

    // The engine whose frames are shown; may be null. Not owned.
    void SetEngine(PreviewEngine* engine);
    // The "show" operation: false stops the output (the surface turns black), true starts it.
    void SetShowing(bool on);
    bool showing() const { return m_showing; }

    // Where the video lies inside the widget, in widget coordinates; empty before the first frame.
    QRectF VideoRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<PreviewEngine> m_engine;
    QMetaObject::Connection m_connection;
    bool m_showing = true;
};

} // namespace quorvel
