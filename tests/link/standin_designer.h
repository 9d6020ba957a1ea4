#pragma once
// Stands in for the designer window in the link tests: the wiring that the real window does with
// the link, and nothing else. Keep it in step with the designer window.

#include "link/switcher_link.h"

#include <QEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindowStateChangeEvent>

namespace quorvel::test {

class StandInDesigner : public QWidget {
    Q_OBJECT
public:
    StandInDesigner() {
        setWindowTitle(QStringLiteral("Quorvel"));
        auto* layout = new QVBoxLayout(this);
        for (QLineEdit* field : {m_first, m_second}) {
            layout->addWidget(field);
        }
        m_first->setAccessibleName(QStringLiteral("Primeiro"));
        m_second->setAccessibleName(QStringLiteral("Segundo"));
        // winId() makes the native window now; its id goes with every notice.
        m_link = SwitcherLink::Create(winId(), this);
        connect(m_link.get(), &SwitcherLink::restoreRequested, this,
                &StandInDesigner::ProcessRestoreRequest);
    }

    SwitcherLink& link() { return *m_link; }
    QLineEdit* first() const { return m_first; }
    QLineEdit* second() const { return m_second; }

    // The end of "Salvar", once the template file is written.
    void NotifyTemplateSaved(int slot, int pickerIndex) {
        m_link->NotifyTemplateSaved(slot, pickerIndex);
    }

protected:
    // The window manager minimises first (X11 gives the program no say); the designer learns it
    // here and, when the switcher takes the request, puts the window back as it was at once. On
    // Windows the link's native event filter stops the minimise before it happens, so this sees
    // only minimises that no switcher took.
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange) {
            const auto* change = static_cast<QWindowStateChangeEvent*>(event);
            if (isMinimized() && !(change->oldState() & Qt::WindowMinimized)) {
                HandleMinimizeRequest(change->oldState());
            }
        }
        QWidget::changeEvent(event);
    }

private:
    void HandleMinimizeRequest(Qt::WindowStates before) {
        if (m_link->SendMinimiseRequest()) {
            // Queued: the window system is still inside its own state change.
            QMetaObject::invokeMethod(
                this, [this, before] { setWindowState(before); }, Qt::QueuedConnection);
        }
    }

    void ProcessRestoreRequest() {
        if (!isMinimized()) {
            return;
        }
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        show();
        raise();
        activateWindow();
    }

    QLineEdit* m_first = new QLineEdit;
    QLineEdit* m_second = new QLineEdit;
    std::unique_ptr<SwitcherLink> m_link;
};

} // namespace quorvel::test
