// The preview with sources that fail while it runs: a clip deleted while it plays, a clip cut to
// nothing and written again, a clip that was cut short from the start, and a stream on loopback
// that accepts, sends, then stalls with the connection open. The preview must go on composing
// frames with the healthy PIP moving, and a source that comes back must play again.
//
// Frame rates are measured and printed, never asserted: only progress is (frames keep coming
// within generous limits), so a loaded machine cannot fail the test.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "hardening/loopback_listener.h"
#include "preview/preview_engine.h"
#include "preview/test_media.h"
#include "support/temp_home.h"

using namespace quorvel;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "test_failing_sources";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// 4 s at 25 frames per second, red and blue in turn every 0.2 s, as MPEG-TS (a stream can carry
// it, and a cut anywhere leaves whole packets before it).
QString RedBlueStream() {
    return quorvel::testing::MakeMedia(
        QStringLiteral("red_blue_4s.ts"),
        QStringLiteral("-f lavfi -i \"nullsrc=s=64x48:r=25:d=4,format=rgb24,"
                       "geq=r='255*(1-mod(floor(T*5),2))':g=0:b='255*mod(floor(T*5),2)'\" "
                       "-c:v mpeg4 -q:v 2 -pix_fmt yuv420p -f mpegts"));
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A stream server on 127.0.0.1: every connection gets the clip over and over at about its own
// rate while serving; while stalled, connections stay open and get nothing.
class StallingServer {
public:
    explicit StallingServer(QByteArray clip)
        : m_clip(std::move(clip)) {
        m_listen = test::ListenOnLoopback(&m_port);
        if (m_listen < 0) {
            return;
        }
        m_acceptor = std::thread([this] { AcceptLoop(); });
    }
    ~StallingServer() {
        m_stop = true;
        if (m_acceptor.joinable()) {
            m_acceptor.join();
        }
        std::lock_guard lock(m_mutex);
        for (std::thread& t : m_connections) {
            t.join();
        }
        ::close(m_listen);
    }
    StallingServer(const StallingServer&) = delete;
    StallingServer& operator=(const StallingServer&) = delete;

    int port() const { return m_port; }
    void SetStalled(bool stalled) { m_stalled = stalled; }
    int connections() const { return m_count; }

private:
    void AcceptLoop() {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 50) != 1) {
                continue;
            }
            const int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd < 0) {
                continue;
            }
            ++m_count;
            std::lock_guard lock(m_mutex);
            m_connections.emplace_back([this, fd] { Serve(fd); });
        }
    }

    void Serve(int fd) {
        // About 4 s of clip in 100 pieces, one every 40 ms.
        const qsizetype piece = std::max<qsizetype>(188, m_clip.size() / 100);
        qsizetype at = 0;
        while (!m_stop) {
            if (m_stalled) {
                std::this_thread::sleep_for(10ms);
                continue;
            }
            const qsizetype n = std::min(piece, m_clip.size() - at);
            if (::send(fd, m_clip.constData() + at, static_cast<size_t>(n), MSG_NOSIGNAL) < 0) {
                break; // the reader went away (it reconnects)
            }
            at = (at + n) % m_clip.size();
            std::this_thread::sleep_for(40ms);
        }
        ::close(fd);
    }

    QByteArray m_clip;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_stalled{false};
    std::atomic<int> m_count{0};
    std::thread m_acceptor;
    std::mutex m_mutex;
    std::vector<std::thread> m_connections;
};

enum class Colour { Red, Blue, Other };

// The colour at the centre of a PIP's place in the frame.
Colour ColourAt(const media::FramePtr& frame, const QRect& pip) {
    const std::uint32_t p = frame->row(pip.center().y())[pip.center().x()];
    const int r = int((p >> 16) & 0xFF);
    const int b = int(p & 0xFF);
    if (r > 180 && b < 80) {
        return Colour::Red;
    }
    if (b > 180 && r < 80) {
        return Colour::Blue;
    }
    return Colour::Other;
}

// Four PIPs in the quadrants of 1280 x 720, PIP n showing input n, whole crops.
TPipSetup Quadrants() {
    TPipSetup setup = InitialPipSetup();
    for (int i = 0; i < 4; ++i) {
        TPipEntry& e = setup[std::size_t(i)];
        e.InputIndex = i + 1;
        e.PosX = (i % 2) * 640 + 40;
        e.PosY = (i / 2) * 360 + 20;
        e.Width = 560;
        e.Height = 320;
        e.Visible = 1;
    }
    return setup;
}

QRect PipRect(const TPipSetup& setup, int pip) {
    const TPipEntry& e = setup[std::size_t(pip - 1)];
    return {e.PosX, e.PosY, e.Width, e.Height};
}

// Runs the window thread's event loop and watches the frames the preview announces.
class Watch {
public:
    explicit Watch(PreviewEngine& engine)
        : m_engine(engine) {
        QObject::connect(&engine, &PreviewEngine::frameReady, &engine, [this] { ++m_frames; });
    }

    // Frames announced during `span` (event loop running).
    int FramesDuring(std::chrono::milliseconds span) {
        const int before = m_frames;
        const auto end = Clock::now() + span;
        while (Clock::now() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(2ms);
        }
        return m_frames - before;
    }

    // Waits (generously) until a PIP has shown red and blue, i.e. its input plays.
    bool Plays(const QRect& pip, std::chrono::seconds limit = 40s) {
        bool red = false;
        bool blue = false;
        const auto end = Clock::now() + limit;
        while (Clock::now() < end && !(red && blue)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            if (const media::FramePtr frame = m_engine.LatestMediaFrame();
                frame && frame->width() == 1280) {
                red = red || ColourAt(frame, pip) == Colour::Red;
                blue = blue || ColourAt(frame, pip) == Colour::Blue;
            }
            std::this_thread::sleep_for(5ms);
        }
        return red && blue;
    }

    // Waits until the healthy PIP (a moving test source) changes under the frames.
    bool Moves(const QRect& pip, std::chrono::seconds limit = 40s) {
        std::optional<std::uint32_t> first;
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            if (const media::FramePtr frame = m_engine.LatestMediaFrame();
                frame && frame->width() == 1280) {
                std::uint32_t sum = 0;
                for (int y = pip.top(); y < pip.bottom(); y += 8) {
                    for (int x = pip.left(); x < pip.right(); x += 8) {
                        sum = sum * 31 + frame->row(y)[x];
                    }
                }
                if (first && *first != sum) {
                    return true;
                }
                first = sum;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

private:
    PreviewEngine& m_engine;
    int m_frames = 0;
};

} // namespace

// Closing while an input hangs in a blocking read: a stream whose server completed the connection
// and never sends. The preview is stopped and destroyed as the window's destruction does it, and
// the process ends normally and promptly after. Runs in a child forked before anything else of
// the test started a thread.
TEST(FailingSources, ProcessEndsPromptlyAfterThePreviewWhileAnInputHangs) {
    int port = 0;
    const int listener = test::ListenOnLoopback(&port); // nobody ever accepts
    ASSERT_GE(listener, 0);
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("quorvel.sav"));
    ASSERT_TRUE(WriteAll(
        settings,
        QStringLiteral("[Inputs]\nStreviaInput1=tcp://127.0.0.1:%1\n").arg(port).toUtf8()));
    int destroyed[2];
    ASSERT_EQ(::pipe(destroyed), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(destroyed[0]);
        App();
        auto engine = std::make_unique<PreviewEngine>();
        engine->InitVideo(20);
        PreviewStartup startup;
        startup.indexProgram = 2; // a built-in source paces the preview
        startup.inputCount = 2;
        startup.handoffPath = dir.filePath(QStringLiteral("none.dat"));
        startup.settingsPath = settings;
        engine->PublishLayout(Quadrants());
        engine->SetComposing(true);
        engine->StartPreview(startup);
        std::this_thread::sleep_for(1500ms); // the input's thread is blocked in its read
        engine->SetClosing(true);
        const auto start = Clock::now();
        engine.reset();
        const long long ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        (void)!::write(destroyed[1], &ms, sizeof ms);
        std::exit(0); // the normal end: exit handlers and static destructors run
    }
    ::close(destroyed[1]);
    long long destroyMs = 0;
    ASSERT_EQ(::read(destroyed[0], &destroyMs, sizeof destroyMs), ssize_t(sizeof destroyMs))
        << "the child died before the preview was gone";
    const auto gone = Clock::now();
    int status = 0;
    ::waitpid(pid, &status, 0);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - gone).count();
    std::printf("destroying the preview took %lld ms; the process ended %lld ms after\n", destroyMs,
                static_cast<long long>(ms));
    ::close(destroyed[0]);
    pollfd pending{listener, POLLIN, 0};
    EXPECT_EQ(::poll(&pending, 1, 0), 1) << "the input never connected, so nothing hung";
    ::close(listener);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_LT(ms, 10000) << "the process hung at exit";
}

TEST(FailingSources, PreviewGoesOnAndInputsComeBack) {
    App();
    test::TempHome home;
    const QString clipSource = RedBlueStream();
    ASSERT_FALSE(clipSource.isEmpty()) << "ffmpeg could not make the test clip";
    const QByteArray clip = ReadAll(clipSource);
    ASSERT_GT(clip.size(), 10000);

    // Input 1: a clip that will be deleted while it plays. Input 2: a stream that will stall.
    // Input 3: a clip cut to nothing and written again. Input 4: unmapped, a built-in source.
    // The background: a clip cut short from the start (its first 40 %, mid-packet).
    const QString deleted = home.Path() + QStringLiteral("/deleted.ts");
    const QString rewritten = home.Path() + QStringLiteral("/rewritten.ts");
    const QString truncated = home.Path() + QStringLiteral("/truncated.ts");
    ASSERT_TRUE(WriteAll(deleted, clip));
    ASSERT_TRUE(WriteAll(rewritten, clip));
    ASSERT_TRUE(WriteAll(truncated, clip.left(clip.size() * 2 / 5 + 77)));
    StallingServer server(clip);
    ASSERT_NE(server.port(), 0);
    const QString settings = home.Path() + QStringLiteral("/quorvel.sav");
    ASSERT_TRUE(WriteAll(settings, QStringLiteral("[Inputs]\n"
                                                  "StreviaInput1=%1\n"
                                                  "StreviaInput2=tcp://127.0.0.1:%2\n"
                                                  "StreviaInput3=%3\n"
                                                  "StreviaInput5=%4\n")
                                       .arg(deleted)
                                       .arg(server.port())
                                       .arg(rewritten, truncated)
                                       .toUtf8()));

    PreviewEngine engine;
    Watch watch(engine);
    engine.InitVideo(20); // 1280 x 720, 30 frames per second
    PreviewStartup startup;
    startup.indexProgram = 5;
    startup.inputCount = 5;
    startup.handoffPath = home.Path() + QStringLiteral("/none.dat");
    startup.settingsPath = settings;
    const TPipSetup layout = Quadrants();
    engine.PublishLayout(layout);
    engine.SetComposing(true);
    engine.StartPreview(startup);

    ASSERT_TRUE(watch.Plays(PipRect(layout, 1))) << "input 1 never played";
    ASSERT_TRUE(watch.Plays(PipRect(layout, 2))) << "the stream never played";
    ASSERT_TRUE(watch.Plays(PipRect(layout, 3))) << "input 3 never played";
    const int healthy = watch.FramesDuring(3s);

    // The faults, all at once.
    ASSERT_TRUE(QFile::remove(deleted));
    ASSERT_TRUE(WriteAll(rewritten, QByteArray()));
    server.SetStalled(true);
    const int faulty = watch.FramesDuring(5s);
    std::printf("preview frames per second: %.1f healthy, %.1f while three inputs fail\n",
                healthy / 3.0, faulty / 5.0);
    EXPECT_GT(faulty, 0) << "the preview stopped composing";
    EXPECT_TRUE(watch.Moves(PipRect(layout, 4))) << "the healthy PIP froze";

    // The inputs come back.
    const int connectionsBefore = server.connections();
    server.SetStalled(false);
    ASSERT_TRUE(WriteAll(rewritten, clip));
    EXPECT_TRUE(watch.Plays(PipRect(layout, 3))) << "the rewritten clip did not play again";
    EXPECT_TRUE(watch.Plays(PipRect(layout, 2))) << "the stream did not play again";
    std::printf("stream connections: %d before the stall ended, %d after\n", connectionsBefore,
                server.connections());
    ASSERT_TRUE(WriteAll(deleted, clip));
    EXPECT_TRUE(watch.Plays(PipRect(layout, 1))) << "the deleted clip, back, did not play";
    EXPECT_GT(watch.FramesDuring(1s), 0);

    const auto stopStart = Clock::now();
    engine.StopPreview();
    std::printf("StopPreview took %lld ms\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - stopStart)
                        .count()));
}
