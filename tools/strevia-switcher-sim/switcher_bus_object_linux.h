#pragma once
// The simulator's object on the session bus, in the switcher's place: it prints every notice.

#include <QObject>
#include <QtDBus/qtdbusglobal.h>

namespace quorvel::sim {

class SwitcherBusObject : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.korvane.StreviaSwitcher")
public slots:
    Q_NOREPLY void StreviaControlMessage(qulonglong sender, qlonglong code);
};

} // namespace quorvel::sim
