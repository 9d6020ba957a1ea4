// strevia-switcher-sim on Linux: owns the switcher's name on the session bus and prints each
// notice on its own line, or with --restore sends the designer one restore request.

#include "notice_format.h"
#include "switcher_bus_object_linux.h"

#include "link/dbus_link_linux.h"
#include "link/link_codes.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>

#include <iostream>

namespace quorvel::sim {

void SwitcherBusObject::StreviaControlMessage(qulonglong sender, qlonglong code) {
    std::cout << DescribeNotice(code, sender) << std::endl;
}

namespace {

int SendRestore(const QDBusConnection& bus, quint64 sender, qint64 info) {
    if (!dbus::NameHasOwner(bus, QString::fromLatin1(dbus::kDesignerBusName))) {
        std::cerr << "strevia-switcher-sim: no designer on the session bus ("
                  << dbus::kDesignerBusName << ")" << std::endl;
        return 1;
    }
    const QDBusMessage call = dbus::NoReplyCall(dbus::kDesignerBusName, dbus::kDesignerInterface,
                                                dbus::kDesignerMethod, sender, info);
    if (!dbus::SendAndFlush(bus, call)) {
        std::cerr << "strevia-switcher-sim: the restore request could not be sent" << std::endl;
        return 1;
    }
    return 0;
}

int Listen(const QDBusConnection& bus) {
    SwitcherBusObject switcher;
    QDBusConnection connection = bus;
    if (!connection.registerObject(QString::fromLatin1(dbus::kObjectPath), &switcher,
                                   QDBusConnection::ExportAllSlots) ||
        !connection.registerService(QString::fromLatin1(dbus::kSwitcherBusName))) {
        std::cerr << "strevia-switcher-sim: " << dbus::kSwitcherBusName
                  << " is taken: is a switcher already running?" << std::endl;
        return 1;
    }
    std::cerr << "strevia-switcher-sim: listening as " << dbus::kSwitcherBusName << " (Ctrl+C ends)"
              << std::endl;
    return QCoreApplication::exec();
}

} // namespace
} // namespace quorvel::sim

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("strevia-switcher-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Stands in for the Strevia Switcher on the session bus: prints every notice from the "
        "designer, one per line, or sends the designer a restore request."));
    parser.addHelpOption();
    const QCommandLineOption restore(QStringLiteral("restore"),
                                     QStringLiteral("Send the designer the restore request."));
    const QCommandLineOption info(QStringLiteral("info"),
                                  QStringLiteral("The request code to send (default 1, restore)."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption sender(
        QStringLiteral("sender"),
        QStringLiteral("The sender id to send (default: this process's id)."), QStringLiteral("id"),
        QString::number(QCoreApplication::applicationPid()));
    parser.addOptions({restore, info, sender});
    parser.process(app);

    bool infoOk = false;
    bool senderOk = false;
    const qint64 infoValue = parser.value(info).toLongLong(&infoOk);
    const quint64 senderValue = parser.value(sender).toULongLong(&senderOk);
    if (!infoOk || !senderOk) {
        std::cerr << "strevia-switcher-sim: --info and --sender take whole numbers" << std::endl;
        return 2;
    }

    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::cerr << "strevia-switcher-sim: no session bus: "
                  << bus.lastError().message().toStdString() << std::endl;
        return 2;
    }
    return parser.isSet(restore) ? quorvel::sim::SendRestore(bus, senderValue, infoValue)
                                 : quorvel::sim::Listen(bus);
}
