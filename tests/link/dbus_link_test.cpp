// The D-Bus backend of the switcher link against the real switcher simulator, on a session bus of
// the test's own (dbus-run-session). The NoBus cases run with an unreachable bus address.

#include "link_bus_support.h"

#include "link/switcher_link.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace quorvel {
namespace {

// Wider than 32 bits, so that a sender cut to 32 bits anywhere on the way shows.
constexpr quint64 kDesignerId = 0x1234'5678'9abcULL;

QString From(quint64 sender) {
    return QStringLiteral(" from=%1").arg(sender);
}

TEST(DBusLink, SwitcherRunningFollowsTheSimulator) {
    const auto link = SwitcherLink::Create(kDesignerId);
    EXPECT_FALSE(link->SwitcherRunning());
    {
        test::SimulatorProcess simulator;
        ASSERT_TRUE(simulator.Start());
        EXPECT_TRUE(link->SwitcherRunning());
    }
    // A switcher that ended is found no more: a stale answer would swallow minimise requests.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !link->SwitcherRunning(); }, test::kWait_ms));
}

TEST(DBusLink, NoticesReachTheSimulatorInOrderWithTheWindowId) {
    test::SimulatorProcess simulator;
    ASSERT_TRUE(simulator.Start());
    const auto link = SwitcherLink::Create(kDesignerId);

    EXPECT_TRUE(link->NotifyTemplateSaved(4, 12));
    EXPECT_TRUE(link->NotifyTemplateSaved(1, 0));
    // The picker without a selection: the template is saved, but no code can be formed.
    EXPECT_FALSE(link->NotifyTemplateSaved(3, -1));
    EXPECT_TRUE(link->SendMinimiseRequest());
    // A negative code keeps its sign on the way (the switcher's LPARAM is widened with it).
    link->SendStreviaMessage(-5);

    const QStringList expected{
        "saved slot=4 picker=12 code=1000412" + From(kDesignerId),
        "saved slot=1 picker=0 code=1000100" + From(kDesignerId),
        "minimise-request" + From(kDesignerId),
        "notice code=-5" + From(kDesignerId),
    };
    EXPECT_EQ(simulator.WaitForLines(int(expected.size())), expected);
}

TEST(DBusLink, MinimiseRequestWithoutSwitcherSendsNothingAndSaysSo) {
    const auto link = SwitcherLink::Create(kDesignerId);
    EXPECT_FALSE(link->SendMinimiseRequest());
}

TEST(DBusLink, ASenderThatExitsRightAfterSendingLosesNothing) {
    test::SimulatorProcess simulator;
    ASSERT_TRUE(simulator.Start());
    // A second process of this test sends three notices and ends at once.
    QProcess sender;
    sender.setProcessChannelMode(QProcess::ForwardedChannels);
    sender.start(QCoreApplication::applicationFilePath(),
                 {"--send-and-exit", QString::number(kDesignerId)});
    ASSERT_TRUE(sender.waitForFinished(test::kWait_ms));
    ASSERT_EQ(sender.exitCode(), 0);

    const QStringList expected{
        "saved slot=2 picker=3 code=1000203" + From(kDesignerId),
        "saved slot=5 picker=17 code=1000517" + From(kDesignerId),
        "minimise-request" + From(kDesignerId),
    };
    EXPECT_EQ(simulator.WaitForLines(int(expected.size())), expected);
}

// Ends the process the hard way once the link is gone, as the designer's halt watchdog may: no
// Qt teardown gets a chance to send what the link left behind.
[[noreturn]] void SendAndExit(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    auto link = SwitcherLink::Create(QString::fromLatin1(argv[2]).toULongLong());
    link->NotifyTemplateSaved(2, 3);
    link->NotifyTemplateSaved(5, 17);
    link->SendStreviaMessage(kMinimiseRequestCode);
    link.reset();
    std::_Exit(0);
}

struct RestoreCase {
    const char* what;
    QStringList arguments;
    int restores;
};

TEST(DBusLink, OnlyInfoOneFromAnotherSenderAsksForARestore) {
    const RestoreCase cases[] = {
        {"info 1 from the switcher", {}, 1},
        {"info 2", {"--info", "2"}, 0},
        {"info 0", {"--info", "0"}, 0},
        {"info 1 in the low 32 bits of a wider value", {"--info", "4294967297"}, 1},
        {"the designer's own id", {"--sender", QString::number(kDesignerId)}, 0},
        {"an id equal to the designer's low 32 bits",
         {"--sender", QString::number(kDesignerId & 0xffffffffULL)},
         1},
    };
    const auto link = SwitcherLink::Create(kDesignerId);
    ASSERT_TRUE(test::WaitForDesignerName());
    test::BusBarrier barrier;
    for (const RestoreCase& c : cases) {
        QSignalSpy restores(link.get(), &SwitcherLink::restoreRequested);
        ASSERT_EQ(test::RunRestore(c.arguments), 0) << c.what;
        ASSERT_TRUE(barrier.Pass()) << c.what;
        EXPECT_EQ(restores.count(), c.restores) << c.what;
    }
}

TEST(DBusLink, ACallWithTheWrongSignatureChangesNothing) {
    const auto link = SwitcherLink::Create(kDesignerId);
    ASSERT_TRUE(test::WaitForDesignerName());
    test::BusBarrier barrier;
    QSignalSpy restores(link.get(), &SwitcherLink::restoreRequested);

    QDBusMessage wrong = QDBusMessage::createMethodCall("com.korvane.Quorvel", "/",
                                                        "com.korvane.Quorvel", "QuorvelMessage");
    wrong << 7 << 1; // (ii) in place of (tx)
    // Answered on this thread, so the caller must not block it.
    QDBusPendingCall answer =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "wrong-caller")
            .asyncCall(wrong, test::kWait_ms);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.isFinished(); }, test::kWait_ms));
    EXPECT_TRUE(answer.isError());
    ASSERT_TRUE(barrier.Pass());
    EXPECT_EQ(restores.count(), 0);
}

// Run with DBUS_SESSION_BUS_ADDRESS pointing nowhere.
TEST(NoBus, TheLinkDoesNothingAndTheDesignerWorksOn) {
    const auto link = SwitcherLink::Create(kDesignerId);
    EXPECT_FALSE(link->SwitcherRunning());
    EXPECT_FALSE(link->SendMinimiseRequest());
    EXPECT_TRUE(link->NotifyTemplateSaved(4, 12)); // the code is formed; it goes nowhere
    link->SendStreviaMessage(kMinimiseRequestCode);
}

} // namespace
} // namespace quorvel

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--send-and-exit") == 0) {
        quorvel::SendAndExit(argc, argv);
    }
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
