// The window's saved place and size, the preview's proportions, and the switcher link's requests.

#include <QEvent>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QWindowStateChangeEvent>

#include "designer/frm_quorvel.h"
#include "designer/geometry.h"
#include "designer/preview_area.h"

namespace quorvel {

void TfrmQuorvel::LoadWindowGeometry() {
    m_iPosX = kUnsetMarker;
    m_iPosY = kUnsetMarker;
    m_iWidth = kUnsetMarker;
    m_iHeight = kUnsetMarker;
    m_iPosX = SaveDesktop1->AdicionarVariavel(QStringLiteral("DesignerPosWindowX"), &m_iPosX,
                                              kUnsetMarker);
    m_iPosY = SaveDesktop1->AdicionarVariavel(QStringLiteral("DesignerPosWindowY"), &m_iPosY,
                                              kUnsetMarker);
    m_iWidth = SaveDesktop1->AdicionarVariavel(QStringLiteral("DesignerWindowWidth"), &m_iWidth,
                                               kUnsetMarker);
    m_iHeight = SaveDesktop1->AdicionarVariavel(QStringLiteral("DesignerWindowHeight"), &m_iHeight,
                                                kUnsetMarker);
    ApplyWindowGeometry();
}

void TfrmQuorvel::ApplyWindowGeometry() {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.append(screen->availableGeometry());
    }
    const WindowPlacement placement = PlaceWindow({m_iPosX, m_iPosY, m_iWidth, m_iHeight}, screens);
    resize(placement.size);
    if (!placement.centred) {
        move(placement.pos);
        return;
    }
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), placement.size);
        frame.moveCenter(primary->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TfrmQuorvel::FormResize() {
    ExecutaTaskProporcoes();
}

void TfrmQuorvel::ExecutaTaskProporcoes() {
    // Runs after the message being handled, on the window thread; queued calls run in order and
    // the last one decides the margins.
    QMetaObject::invokeMethod(
        this,
        [this] {
            try {
                UpdatePreviewProportions();
            } catch (...) {
            }
        },
        Qt::QueuedConnection);
}

void TfrmQuorvel::UpdatePreviewProportions() {
    const std::optional<PreviewMargins> margins =
        ComputePreviewMargins(pnCentral->size(), pnCentral->InnerBorder(), Video());
    if (!margins) {
        return;
    }
    pnCentral->SetMargins(margins->vertical, margins->horizontal);
    // Stopping and starting the output fits it to the panel's new size.
    m_preview->SetShowing(false);
    m_preview->SetShowing(true);
}

void TfrmQuorvel::VideoSizeChanged(int width, int height) {
    if (width == m_iVideoWidth && height == m_iVideoHeight) {
        return;
    }
    m_iVideoWidth = width;
    m_iVideoHeight = height;
    m_overlay->SetVideoSize(Video());
    RefreshSlotThumbnails(); // the template files are named after the video size
    ExecutaTaskProporcoes();
}

void TfrmQuorvel::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    // Where the minimise cannot be intercepted before it happens, it is handed over afterwards.
    if (isMinimized() && !(change->oldState() & Qt::WindowMinimized)) {
        HandleMinimizeRequest(change->oldState());
    }
}

void TfrmQuorvel::HandleMinimizeRequest(Qt::WindowStates previous) {
    if (m_bHandlingMinimize) {
        return; // the minimise this handler asked for comes back here
    }
    m_bHandlingMinimize = true;
    try {
        if (m_link->SendMinimiseRequest()) {
            if (isMinimized()) {
                // Queued: the window system is still inside its own state change.
                QMetaObject::invokeMethod(
                    this, [this, previous] { setWindowState(previous & ~Qt::WindowMinimized); },
                    Qt::QueuedConnection);
            }
        } else if (!isMinimized()) {
            showMinimized();
        }
    } catch (...) {
    }
    m_bHandlingMinimize = false;
}

void TfrmQuorvel::ProcessMessage(qint32 info) {
    if (info != kRestoreInfo) {
        return;
    }
    try {
        if (isMinimized()) {
            setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
            show();
            raise();
            activateWindow();
        }
    } catch (...) {
    }
}

} // namespace quorvel
