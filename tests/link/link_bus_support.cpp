#include "link_bus_support.h"

#include "link/dbus_link_linux.h"

#include <QTest>

namespace quorvel::test {

SimulatorProcess::~SimulatorProcess() {
    Stop();
}

bool SimulatorProcess::Start() {
    m_process.setProgram(QStringLiteral(STREVIA_SWITCHER_SIM));
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(kWait_ms)) {
        return false;
    }
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return QTest::qWaitFor(
               [&] {
                   return dbus::NameHasOwner(bus, QString::fromLatin1(dbus::kSwitcherBusName)) ||
                          m_process.state() == QProcess::NotRunning;
               },
               kWait_ms) &&
           m_process.state() == QProcess::Running;
}

void SimulatorProcess::Stop() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(kWait_ms)) {
            m_process.kill();
            m_process.waitForFinished(kWait_ms);
        }
    }
}

void SimulatorProcess::ReadLines() {
    m_pending += m_process.readAllStandardOutput();
    qsizetype end = 0;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        m_lines << QString::fromUtf8(m_pending.left(end));
        m_pending.remove(0, end + 1);
    }
}

QStringList SimulatorProcess::WaitForLines(int count) {
    (void)QTest::qWaitFor(
        [&] {
            ReadLines();
            return m_lines.size() >= count;
        },
        kWait_ms);
    return m_lines;
}

int RunRestore(const QStringList& arguments) {
    QProcess restore;
    restore.setProcessChannelMode(QProcess::ForwardedChannels);
    restore.start(QStringLiteral(STREVIA_SWITCHER_SIM), QStringList{"--restore"} + arguments);
    if (!restore.waitForFinished(kWait_ms) || restore.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return restore.exitCode();
}

bool WaitForDesignerName() {
    return QTest::qWaitFor(
        [] {
            return dbus::NameHasOwner(QDBusConnection::sessionBus(),
                                      QString::fromLatin1(dbus::kDesignerBusName));
        },
        kWait_ms);
}

namespace {
const QString kBarrierPath = QStringLiteral("/test/barrier");
const QString kProbeConnection = QStringLiteral("barrier-probe");
} // namespace

BusBarrier::BusBarrier() {
    QDBusConnection::sessionBus().registerObject(kBarrierPath, this,
                                                 QDBusConnection::ExportAllSlots);
}

BusBarrier::~BusBarrier() {
    QDBusConnection::sessionBus().unregisterObject(kBarrierPath);
}

bool BusBarrier::Pass() {
    const QDBusConnection probe =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, kProbeConnection);
    QDBusMessage mark = QDBusMessage::createMethodCall(
        QDBusConnection::sessionBus().baseService(), kBarrierPath,
        QStringLiteral("org.quorvel.test.Barrier"), QStringLiteral("Mark"));
    const uint token = ++m_sent;
    mark << token;
    if (!probe.send(mark)) {
        return false;
    }
    return QTest::qWaitFor([&] { return m_marked == token; }, kWait_ms);
}

void BusBarrier::Mark(uint token) {
    m_marked = token;
}

} // namespace quorvel::test
