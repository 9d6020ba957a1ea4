#include "link/dbus_link_linux.h"

#include <QDBusConnectionInterface>

namespace quorvel::dbus {

namespace {

QDBusMessage BusDaemonCall(const char* method) {
    return QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QString::fromLatin1(method));
}

} // namespace

QDBusMessage NoReplyCall(const char* busName, const char* interfaceName, const char* method,
                         quint64 sender, qint64 value) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(busName), QString::fromLatin1(kObjectPath),
        QString::fromLatin1(interfaceName), QString::fromLatin1(method));
    call << QVariant::fromValue<qulonglong>(sender) << QVariant::fromValue<qlonglong>(value);
    call.setAutoStartService(false);
    return call;
}

bool NameHasOwner(const QDBusConnection& connection, const QString& busName) {
    if (!connection.isConnected()) {
        return false;
    }
    QDBusMessage question = BusDaemonCall("NameHasOwner");
    question << busName;
    const QDBusMessage answer = connection.call(question, QDBus::Block, kBusCallTimeout_ms);
    return answer.type() == QDBusMessage::ReplyMessage && answer.arguments().size() == 1 &&
           answer.arguments().constFirst().toBool();
}

bool SendAndFlush(const QDBusConnection& connection, const QDBusMessage& message) {
    if (!connection.isConnected() || !connection.send(message)) {
        return false;
    }
    // The daemon answers in the order it reads, so its answer means the message above has been
    // routed. GetId is the cheapest call every bus daemon knows.
    const QDBusMessage answer =
        connection.call(BusDaemonCall("GetId"), QDBus::Block, kBusCallTimeout_ms);
    return answer.type() == QDBusMessage::ReplyMessage;
}

} // namespace quorvel::dbus
