#pragma once
// The layer over the preview on which the operator edits the layout with the mouse: it outlines
// the PIPs, gives the selected one eight handles, shows the snap guides, the safe areas and the
// grid, and turns presses and drags into video-pixel edits for the window. It maps itself onto the
// video through the same letterbox as the preview picture beneath it.

#include <QWidget>

#include <vector>

#include "core/edit_geometry.h"
#include "core/pip_entry.h"

namespace quorvel {

struct OverlayOptions {
    bool safeAreas = false; // the title-safe and action-safe rectangles
    bool grid = false;      // grid lines, which also become snap targets
    int gridSize = 40;      // video pixels
    bool snapping = true;
};

class EditOverlay : public QWidget {
    Q_OBJECT
public:
    explicit EditOverlay(QWidget* parent = nullptr);

    // The record shown and edited; owned by the window, which calls update() after changing it.
    void SetRecord(const TPipSetup* setup);
    void SetVideoSize(VideoSize video);
    void SetSelectedPip(int pip);
    void SetOptions(const OverlayOptions& options);
    // Handles crop rather than scale without Alt held (the "Interno" mode; also where the window
    // manager takes Alt-drags for itself).
    void SetHandlesCrop(bool on) { m_handlesCrop = on; }
    const OverlayOptions& Options() const { return m_options; }

    // Where the video lies in the overlay (letterboxed, centred), and the mappings through it.
    QRectF VideoRect() const;
    QPointF ToVideo(QPointF widgetPoint) const;
    QPointF ToWidget(QPointF videoPoint) const;

    bool Dragging() const { return m_handle != EditHandle::None; }
    const std::vector<SnapGuide>& Guides() const { return m_guides; }

signals:
    // A press on a PIP other than the selected one selects it first.
    void pipPicked(int pip);
    void dragStarted();
    // The dragged PIP as it now should be; only sent when it differs from the last one sent.
    void dragged(int pip, const TPipEntry& entry);
    void dragFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    double VideoPerWidgetPixel() const;
    // What a press at the point takes hold of: a PIP (0 for none) and its handle or body.
    struct Hit {
        int pip = 0;
        EditHandle handle = EditHandle::None;
    };
    Hit HitAt(QPointF videoPoint) const;
    void DragTo(QPointF widgetPoint, Qt::KeyboardModifiers modifiers);
    void EndDrag();
    void UpdateCursor(QPointF widgetPoint);

    const TPipSetup* m_record = nullptr;
    VideoSize m_video{};
    int m_selected = 1;
    OverlayOptions m_options;
    bool m_handlesCrop = false;

    // The drag under way: the PIP, the handle taken, where it began and the record then.
    int m_dragPip = 0;
    EditHandle m_handle = EditHandle::None;
    QPointF m_pressVideo;
    QPointF m_pressWidget;
    bool m_moved = false; // the pointer has left the press point: a click alone changes nothing
    TPipSetup m_startRecord{};
    TPipEntry m_lastSent{};
    std::vector<SnapGuide> m_guides;
};

} // namespace quorvel
