// The switcher link on Linux: method calls on the D-Bus session bus.

#include "link/designer_bus_object_linux.h"
#include "link/switcher_link.h"

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QThreadPool>

namespace quorvel {

namespace {

// How long the destructor waits for notices still being sent.
constexpr int kShutdownWait_ms = 1000;

class DBusSwitcherLink final : public SwitcherLink {
public:
    DBusSwitcherLink(quint64 designerWindowId, const QDBusConnection& connection, QObject* parent)
        : SwitcherLink(designerWindowId, parent)
        , m_connection(connection)
        , m_busObject(designerWindowId, [this] { emit restoreRequested(); }) {
        // One thread keeps the notices in the order they were given.
        m_pool.setMaxThreadCount(1);
        if (!m_connection.isConnected()) {
            return;
        }
        m_connection.registerObject(QString::fromLatin1(dbus::kObjectPath), &m_busObject,
                                    QDBusConnection::ExportAllSlots);
        // Asked without waiting, so that start-up never waits for the bus. Flags 0: a second
        // designer queues for the name and gets it when the first one ends.
        QDBusMessage request = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
        request << QString::fromLatin1(dbus::kDesignerBusName) << 0u;
        m_connection.asyncCall(request);
    }

    ~DBusSwitcherLink() override {
        if (!m_pool.waitForDone(kShutdownWait_ms)) {
            // The bus hangs: drop what has not started; the running send ends within its own
            // bus timeout.
            m_pool.clear();
            m_pool.waitForDone();
        }
        if (m_connection.isConnected()) {
            m_connection.unregisterObject(QString::fromLatin1(dbus::kObjectPath));
        }
    }

    void SendStreviaMessage(qint32 code) override {
        if (!m_connection.isConnected()) {
            return;
        }
        // Runs on the pool thread. The bus finds the switcher by its name; with no owner the
        // call goes nowhere.
        m_pool.start([connection = m_connection,
                      call = dbus::NoReplyCall(dbus::kSwitcherBusName, dbus::kSwitcherInterface,
                                               dbus::kSwitcherMethod, designerWindowId(), code)] {
            dbus::SendAndFlush(connection, call);
        });
    }

    bool SwitcherRunning() const override {
        return dbus::NameHasOwner(m_connection, QString::fromLatin1(dbus::kSwitcherBusName));
    }

private:
    QDBusConnection m_connection;
    dbus::DesignerBusObject m_busObject;
    QThreadPool m_pool;
};

} // namespace

std::unique_ptr<SwitcherLink> SwitcherLink::Create(quint64 designerWindowId, QObject* parent) {
    return std::make_unique<DBusSwitcherLink>(designerWindowId, QDBusConnection::sessionBus(),
                                              parent);
}

} // namespace quorvel
