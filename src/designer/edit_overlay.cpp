#include "designer/edit_overlay.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "designer/geometry.h"

namespace quorvel {

namespace {

constexpr double kHandleRadiusPx = 6.0; // screen pixels around a handle that take hold of it
constexpr double kHandleSizePx = 7.0;
constexpr double kSnapDistancePx = 8.0;  // screen pixels within which an edge snaps
constexpr double kDragThresholdPx = 3.0; // how far the pointer goes before a press is a drag

const QColor kOutline(255, 255, 255, 150);
const QColor kSelected(255, 196, 0);
const QColor kGuide(0, 230, 255);
const QColor kSafeArea(255, 80, 80, 170);
const QColor kGridLine(255, 255, 255, 45);

Qt::CursorShape CursorFor(EditHandle handle) {
    switch (handle) {
    case EditHandle::Left:
    case EditHandle::Right:
        return Qt::SizeHorCursor;
    case EditHandle::Top:
    case EditHandle::Bottom:
        return Qt::SizeVerCursor;
    case EditHandle::TopLeft:
    case EditHandle::BottomRight:
        return Qt::SizeFDiagCursor;
    case EditHandle::TopRight:
    case EditHandle::BottomLeft:
        return Qt::SizeBDiagCursor;
    case EditHandle::Body:
        return Qt::SizeAllCursor;
    case EditHandle::None:
        break;
    }
    return Qt::ArrowCursor;
}

bool SameEntry(const TPipEntry& a, const TPipEntry& b) {
    return std::memcmp(&a, &b, sizeof(TPipEntry)) == 0;
}

} // namespace

EditOverlay::EditOverlay(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("EditOverlay"));
    setAccessibleName(QStringLiteral("Edição do layout"));
    setToolTip(QStringLiteral("Clique num PIP para selecioná-lo; arraste para mover, pelas alças "
                              "para redimensionar (Shift: mantém a proporção), com Alt para "
                              "cortar; Ctrl desliga o encaixe. Setas: mover; +/-: zoom; Tab: "
                              "próximo PIP"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_NoSystemBackground);
}

void EditOverlay::SetRecord(const TPipSetup* setup) {
    m_record = setup;
    update();
}

void EditOverlay::SetVideoSize(VideoSize video) {
    m_video = video;
    update();
}

void EditOverlay::SetSelectedPip(int pip) {
    m_selected = pip;
    update();
}

void EditOverlay::SetOptions(const OverlayOptions& options) {
    m_options = options;
    m_options.gridSize = std::max(options.gridSize, 2);
    update();
}

QRectF EditOverlay::VideoRect() const {
    // The same fit as the picture beneath, so that the outlines lie on it.
    return LetterboxRect(QSizeF(m_video.width, m_video.height), QSizeF(size()));
}

double EditOverlay::VideoPerWidgetPixel() const {
    const QRectF video = VideoRect();
    return video.isEmpty() ? 1.0 : m_video.width / video.width();
}

QPointF EditOverlay::ToVideo(QPointF widgetPoint) const {
    const QRectF video = VideoRect();
    if (video.isEmpty()) {
        return {};
    }
    return (widgetPoint - video.topLeft()) * VideoPerWidgetPixel();
}

QPointF EditOverlay::ToWidget(QPointF videoPoint) const {
    const QRectF video = VideoRect();
    if (video.isEmpty()) {
        return {};
    }
    return video.topLeft() + videoPoint / VideoPerWidgetPixel();
}

void EditOverlay::paintEvent(QPaintEvent* /*event*/) {
    const QRectF video = VideoRect();
    if (m_record == nullptr || video.isEmpty()) {
        return;
    }
    QPainter p(this);
    const double scale = 1.0 / VideoPerWidgetPixel();
    auto toWidget = [&](const QRect& r) {
        return QRectF(ToWidget(QPointF(r.topLeft())), QSizeF(r.width(), r.height()) * scale);
    };
    p.setClipRect(video);

    if (m_options.grid) {
        p.setPen(QPen(kGridLine, 1));
        for (int x = m_options.gridSize; x < m_video.width; x += m_options.gridSize) {
            const double wx = ToWidget(QPointF(x, 0)).x();
            p.drawLine(QPointF(wx, video.top()), QPointF(wx, video.bottom()));
        }
        for (int y = m_options.gridSize; y < m_video.height; y += m_options.gridSize) {
            const double wy = ToWidget(QPointF(0, y)).y();
            p.drawLine(QPointF(video.left(), wy), QPointF(video.right(), wy));
        }
    }
    if (m_options.safeAreas) {
        p.setPen(QPen(kSafeArea, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(toWidget(SafeArea(m_video, kActionSafeFraction)));
        p.drawRect(toWidget(SafeArea(m_video, kTitleSafeFraction)));
    }

    QFont label = font();
    label.setPixelSize(11);
    p.setFont(label);
    for (std::size_t i = 0; i < m_record->size(); ++i) {
        const TPipEntry& e = (*m_record)[i];
        const int pip = static_cast<int>(i) + 1;
        if (e.Visible == 0 || pip == m_selected) {
            continue;
        }
        const QRectF r = toWidget(PipRect(e));
        p.setPen(QPen(kOutline, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
        p.drawText(r.adjusted(3, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, QString::number(pip));
    }
    if (m_selected >= 1 && m_selected <= static_cast<int>(kPipCount)) {
        const TPipEntry& e = (*m_record)[static_cast<std::size_t>(m_selected - 1)];
        const QRectF r = toWidget(PipRect(e));
        p.setPen(QPen(kSelected, 2, e.Visible != 0 ? Qt::SolidLine : Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
        p.drawText(r.adjusted(4, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                   QString::number(m_selected));
        if (e.Visible != 0) {
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(kSelected);
            const double h = kHandleSizePx / 2;
            for (double fx : {0.0, 0.5, 1.0}) {
                for (double fy : {0.0, 0.5, 1.0}) {
                    if (fx == 0.5 && fy == 0.5) {
                        continue;
                    }
                    const QPointF c(r.left() + fx * r.width(), r.top() + fy * r.height());
                    p.drawRect(QRectF(c.x() - h, c.y() - h, 2 * h, 2 * h));
                }
            }
        }
    }

    p.setPen(QPen(kGuide, 1));
    for (const SnapGuide& g : m_guides) {
        if (g.vertical) {
            const double wx = ToWidget(QPointF(g.position, 0)).x();
            p.drawLine(QPointF(wx, video.top()), QPointF(wx, video.bottom()));
        } else {
            const double wy = ToWidget(QPointF(0, g.position)).y();
            p.drawLine(QPointF(video.left(), wy), QPointF(video.right(), wy));
        }
    }
}

EditOverlay::Hit EditOverlay::HitAt(QPointF videoPoint) const {
    // The selected PIP's handles come first, even where another PIP lies over them.
    if (m_selected >= 1 && m_selected <= static_cast<int>(kPipCount)) {
        const TPipEntry& selected = (*m_record)[static_cast<std::size_t>(m_selected - 1)];
        if (selected.Visible != 0) {
            const EditHandle handle =
                HandleAt(selected, videoPoint, kHandleRadiusPx * VideoPerWidgetPixel());
            if (handle != EditHandle::None && handle != EditHandle::Body) {
                return {m_selected, handle};
            }
        }
    }
    const int pip = PipAt(*m_record, videoPoint);
    return {pip, pip == 0 ? EditHandle::None : EditHandle::Body};
}

void EditOverlay::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton || m_record == nullptr || VideoRect().isEmpty()) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPointF at = ToVideo(event->position());
    const auto [pip, handle] = HitAt(at);
    if (pip == 0) {
        return;
    }
    if (pip != m_selected) {
        emit pipPicked(pip); // the window selects it and calls SetSelectedPip
    }
    m_dragPip = pip;
    m_handle = handle;
    m_pressVideo = at;
    m_pressWidget = event->position();
    m_moved = false;
    m_startRecord = *m_record;
    m_lastSent = (*m_record)[static_cast<std::size_t>(pip - 1)];
    m_guides.clear();
    emit dragStarted();
    event->accept();
}

void EditOverlay::mouseMoveEvent(QMouseEvent* event) {
    if (Dragging()) {
        DragTo(event->position(), event->modifiers());
        event->accept();
        return;
    }
    UpdateCursor(event->position());
}

void EditOverlay::mouseReleaseEvent(QMouseEvent* event) {
    if (Dragging() && event->button() == Qt::LeftButton) {
        DragTo(event->position(), event->modifiers());
        EndDrag();
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void EditOverlay::leaveEvent(QEvent* event) {
    if (!Dragging()) {
        unsetCursor();
    }
    QWidget::leaveEvent(event);
}

void EditOverlay::DragTo(QPointF widgetPoint, Qt::KeyboardModifiers modifiers) {
    // A click that selects a PIP must not also snap it somewhere.
    if (!m_moved && (widgetPoint - m_pressWidget).manhattanLength() < kDragThresholdPx) {
        return;
    }
    m_moved = true;
    DragModifiers mods;
    mods.keepAspect = modifiers.testFlag(Qt::ShiftModifier);
    mods.crop = m_handlesCrop || modifiers.testFlag(Qt::AltModifier);
    SnapOptions snap;
    snap.enabled = m_options.snapping && !modifiers.testFlag(Qt::ControlModifier);
    snap.distance = kSnapDistancePx * VideoPerWidgetPixel();
    snap.gridSize = m_options.grid ? m_options.gridSize : 0;
    m_guides.clear();
    const TPipEntry entry =
        DragPip(m_startRecord, m_dragPip, m_handle, ToVideo(widgetPoint) - m_pressVideo, mods,
                m_video, snap, &m_guides);
    if (!SameEntry(entry, m_lastSent)) {
        m_lastSent = entry;
        emit dragged(m_dragPip, entry);
    }
    update();
}

void EditOverlay::EndDrag() {
    m_handle = EditHandle::None;
    m_dragPip = 0;
    m_guides.clear();
    update();
    emit dragFinished();
}

void EditOverlay::UpdateCursor(QPointF widgetPoint) {
    if (m_record == nullptr || VideoRect().isEmpty()) {
        unsetCursor();
        return;
    }
    setCursor(CursorFor(HitAt(ToVideo(widgetPoint)).handle)); // what a press there would take
}

} // namespace quorvel
