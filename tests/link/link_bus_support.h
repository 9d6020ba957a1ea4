#pragma once
// Helpers of the D-Bus link tests: the switcher simulator as a child process, and a barrier that
// says when every call sent to this process before it has been handled. The tests run under
// dbus-run-session, so the session bus is their own.

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QStringList>

namespace quorvel::test {

// Generous: the machine may be loaded. Only waits that end early on success use it.
inline constexpr int kWait_ms = 15000;

class SimulatorProcess {
public:
    SimulatorProcess() = default;
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;
    ~SimulatorProcess();

    // Starts the simulator and waits until it owns the switcher's name on the bus.
    bool Start();
    void Stop();
    // Waits until the simulator has printed at least `count` notices; returns all it printed.
    QStringList WaitForLines(int count);

private:
    void ReadLines();

    QProcess m_process;
    QByteArray m_pending;
    QStringList m_lines;
};

// Runs "strevia-switcher-sim --restore" with more arguments; returns its exit code (-1 when it
// did not finish).
int RunRestore(const QStringList& arguments);

// Waits until the designer's name on the bus has an owner (it is asked for without waiting).
bool WaitForDesignerName();

class BusBarrier : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quorvel.test.Barrier")
public:
    BusBarrier();
    ~BusBarrier() override;
    // Sends a call to this process from a second bus connection and waits until it is handled
    // here. The bus keeps order, so every call that reached the bus before has been handled too.
    bool Pass();

public slots:
    Q_NOREPLY void Mark(uint token);

private:
    uint m_sent = 0;
    uint m_marked = 0;
};

} // namespace quorvel::test
