#pragma once
// The designer's object on the session bus: it takes the switcher's "Quorvel Message" calls.

#include "link/dbus_link_linux.h"

#include <QObject>

#include <functional>

namespace quorvel::dbus {

class DesignerBusObject : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.korvane.Quorvel")
public:
    // onRestore runs for a restore request (info kRestoreInfo from a sender other than
    // designerWindowId); every other call is dropped.
    DesignerBusObject(quint64 designerWindowId, std::function<void()> onRestore);

public slots:
    // Runs on the thread the object lives on (the window thread). The reply, if the caller wants
    // one, is empty.
    Q_NOREPLY void QuorvelMessage(qulonglong sender, qlonglong info);

private:
    quint64 m_designerWindowId;
    std::function<void()> m_onRestore;
};

} // namespace quorvel::dbus
