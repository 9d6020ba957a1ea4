// The designer window's side of the link, on a stand-in window with the real wiring, against the
// switcher simulator on a session bus of the test's own. The window manager's minimise is played by
// minimising the native window (QWindow), as the window system reports it, not through the widget.

#include "link_bus_support.h"
#include "standin_designer.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

namespace quorvel::test {

class DesignerWindowLinkTest : public QObject {
    Q_OBJECT

private:
    static QString From(const StandInDesigner& window) {
        return QStringLiteral(" from=%1").arg(window.winId());
    }

    // What the window manager does when the operator presses the minimise button.
    static void MinimiseAsTheWindowManager(StandInDesigner& window) {
        window.windowHandle()->setWindowStates(Qt::WindowMinimized);
    }

    static void ShowWithFocusOnSecond(StandInDesigner& window) {
        window.setGeometry(120, 90, 400, 300);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.second()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), window.second());
    }

private slots:
    void savingSlot4WithPicker12DeliversItsCodeAndTheWindowId() {
        SimulatorProcess simulator;
        QVERIFY(simulator.Start());
        StandInDesigner window;
        window.show();
        window.NotifyTemplateSaved(4, 12);
        QCOMPARE(simulator.WaitForLines(1),
                 QStringList{"saved slot=4 picker=12 code=1000412" + From(window)});
    }

    void minimiseWithTheSwitcherRunningSendsTheRequestAndKeepsTheWindow_data() {
        QTest::addColumn<bool>("maximised");
        QTest::newRow("normal window") << false;
        QTest::newRow("maximised window") << true;
    }
    void minimiseWithTheSwitcherRunningSendsTheRequestAndKeepsTheWindow() {
        QFETCH(bool, maximised);
        SimulatorProcess simulator;
        QVERIFY(simulator.Start());
        StandInDesigner window;
        ShowWithFocusOnSecond(window);
        if (maximised) {
            const QRect normal = window.geometry();
            window.showMaximized();
            QTRY_VERIFY(window.isMaximized() && window.geometry() != normal);
        }
        const QRect before = window.geometry();

        MinimiseAsTheWindowManager(window);

        QCOMPARE(simulator.WaitForLines(1), QStringList{"minimise-request" + From(window)});
        QTRY_VERIFY(!window.isMinimized());
        QCOMPARE(window.isMaximized(), maximised);
        QCOMPARE(window.geometry(), before);
        // Exactly one request: the window's own way back must not count as a second minimise.
        // Notices keep their order, so a second request would come before this one.
        window.NotifyTemplateSaved(1, 0);
        QCOMPARE(simulator.WaitForLines(2),
                 (QStringList{"minimise-request" + From(window),
                              "saved slot=1 picker=0 code=1000100" + From(window)}));
    }

    void minimiseWithoutTheSwitcherMinimises() {
        StandInDesigner window;
        ShowWithFocusOnSecond(window);
        MinimiseAsTheWindowManager(window);
        QTRY_VERIFY(window.isMinimized());
        // A restore would be a queued call; let every queued call run.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY(window.isMinimized());
    }

    void restoreRequestRestoresAMinimisedWindowWithItsPlaceAndFocus() {
        StandInDesigner window;
        ShowWithFocusOnSecond(window);
        const QRect before = window.geometry();
        MinimiseAsTheWindowManager(window);
        QTRY_VERIFY(window.isMinimized());
        QVERIFY(WaitForDesignerName());

        QCOMPARE(RunRestore({}), 0);

        QTRY_VERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());
        QCOMPARE(window.geometry(), before);
        QTRY_COMPARE(QApplication::focusWidget(), window.second());
    }

    void restoreRequestLeavesANormalWindowAlone() {
        StandInDesigner window;
        ShowWithFocusOnSecond(window);
        const QRect before = window.geometry();
        const Qt::WindowStates stateBefore = window.windowState();
        QVERIFY(WaitForDesignerName());
        QSignalSpy restores(&window.link(), &SwitcherLink::restoreRequested);

        QCOMPARE(RunRestore({}), 0);

        QTRY_COMPARE(restores.count(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(window.windowState(), stateBefore);
        QCOMPARE(window.geometry(), before);
        QCOMPARE(QApplication::focusWidget(), window.second());
    }

    void infoTwoOrTheDesignersOwnIdChangesNothing() {
        StandInDesigner window;
        ShowWithFocusOnSecond(window);
        MinimiseAsTheWindowManager(window);
        QTRY_VERIFY(window.isMinimized());
        QVERIFY(WaitForDesignerName());
        BusBarrier barrier;

        QCOMPARE(RunRestore({"--info", "2"}), 0);
        QCOMPARE(RunRestore({"--sender", QString::number(window.winId())}), 0);

        QVERIFY(barrier.Pass());
        QCoreApplication::processEvents();
        QVERIFY(window.isMinimized());
    }
};

} // namespace quorvel::test

QTEST_MAIN(quorvel::test::DesignerWindowLinkTest)
#include "dbus_designer_window_test.moc"
