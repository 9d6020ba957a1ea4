// The designer closed while one of its inputs hangs in a blocking read (a stream whose server
// completed the connection and never sends): the process must be gone within about a second of the
// window's destruction, whatever the preview does. The window is built and closed as the
// application's entry does it (the real preview, the halt watchdog armed at destruction), in a
// child forked before anything of the test started a thread.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "designer/engine_preview.h"
#include "designer/frm_quorvel.h"
#include "designer/halt_watchdog.h"
#include "hardening/loopback_listener.h"
#include "support/temp_home.h"

using namespace quorvel;
using Clock = std::chrono::steady_clock;

namespace {

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The application's entry, with a timer that closes the window once the preview composes.
[[noreturn]] void RunDesigner(int reportFd) {
    static int argc = 1;
    static char name[] = "test_designer_shutdown";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    DesignerDeps deps;
    deps.preview = std::make_unique<EnginePreview>();
    deps.taskHalt = [] { ArmProcessHalt(); };
    auto window = std::make_unique<TfrmQuorvel>(std::move(deps));
    window->show();
    // Start-up: the preview at 0.5 s, the slot at 1 s, composition at 2 s.
    QTimer::singleShot(3000, window.get(), [&] { window->close(); });
    QApplication::exec();
    const char destroying = 'd';
    (void)!::write(reportFd, &destroying, 1);
    window.reset();
    std::exit(0); // as the entry's return: exit handlers and static destructors run
}

} // namespace

TEST(DesignerShutdown, ProcessIsGonePromptlyAfterTheWindowWhileAnInputHangs) {
    int port = 0;
    const int listener = test::ListenOnLoopback(&port); // nobody ever accepts
    ASSERT_GE(listener, 0);

    test::TempHome home;
    // Programme input 2 (a built-in source) is the background; PIP 1 shows input 1, the stream.
    QByteArray handoff = "2\r\n1\r\n2\r\n20\r\n";
    for (int line = 4; line <= 19; ++line) {
        handoff += "0\r\n";
    }
    handoff += "Encerramento\r\n1\r\n";
    ASSERT_TRUE(QDir().mkpath(home.Strevia()));
    ASSERT_TRUE(WriteAll(home.Strevia() + QStringLiteral("Quorvel.dat"), handoff));
    const QString settings = home.DataHome() + QStringLiteral("/quorvel/quorvel.sav");
    ASSERT_TRUE(QDir().mkpath(home.DataHome() + QStringLiteral("/quorvel")));
    ASSERT_TRUE(WriteAll(
        settings,
        QStringLiteral("[Inputs]\nStreviaInput1=tcp://127.0.0.1:%1\n").arg(port).toUtf8()));
    qputenv("QT_QPA_PLATFORM", "offscreen");

    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(report[0]);
        RunDesigner(report[1]);
    }
    ::close(report[1]);
    char destroying = 0;
    ASSERT_EQ(::read(report[0], &destroying, 1), 1) << "the designer died before it closed";
    const auto start = Clock::now();
    int status = 0;
    ::waitpid(pid, &status, 0);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    std::printf("the process was gone %lld ms after the window's destruction began\n",
                static_cast<long long>(ms));
    ::close(report[0]);
    pollfd pending{listener, POLLIN, 0};
    EXPECT_EQ(::poll(&pending, 1, 0), 1) << "the input never connected, so nothing hung";
    ::close(listener);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_LT(ms, 10000) << "the process outlived its halt watchdog";
}
