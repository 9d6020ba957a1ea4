#pragma once
// The switcher link's names on the D-Bus session bus, and the two bus calls that the designer and
// the switcher simulator share. The registered window messages of Windows become method calls:
// the switcher's window is the owner of kSwitcherBusName, the designer's that of kDesignerBusName.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>

namespace quorvel::dbus {

inline constexpr char kSwitcherBusName[] = "com.korvane.StreviaSwitcher";
inline constexpr char kSwitcherInterface[] = "com.korvane.StreviaSwitcher";
// StreviaControlMessage(t sender, x code): sender = the designer's window id.
inline constexpr char kSwitcherMethod[] = "StreviaControlMessage";

inline constexpr char kDesignerBusName[] = "com.korvane.Quorvel";
inline constexpr char kDesignerInterface[] = "com.korvane.Quorvel";
// QuorvelMessage(t sender, x info): the request is the low 32 bits of info.
inline constexpr char kDesignerMethod[] = "QuorvelMessage";

inline constexpr char kObjectPath[] = "/";

// How long a call to the bus itself may take before it counts as failed.
inline constexpr int kBusCallTimeout_ms = 1000;

// A call of `method` on the owner of `busName` (object "/") that starts no service. Sent with
// QDBusConnection::send (or SendAndFlush), it goes out marked as wanting no reply.
QDBusMessage NoReplyCall(const char* busName, const char* interfaceName, const char* method,
                         quint64 sender, qint64 value);

// Whether some connection owns busName now. False also when the bus does not answer in time.
bool NameHasOwner(const QDBusConnection& connection, const QString& busName);

// Sends a message and returns once the bus daemon holds it (a round trip to the daemon after it,
// which the daemon answers only after routing everything sent before), so that a process may exit
// right afterwards without losing it. Safe on any thread. False when either step failed.
bool SendAndFlush(const QDBusConnection& connection, const QDBusMessage& message);

} // namespace quorvel::dbus
