// The playback cycle, the picture loader's retries, and the engine's choice of background.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <atomic>

#include "preview/composer.h"
#include "preview/playback_worker.h"
#include "preview/preview_engine.h"
#include "util/helpers.h"

namespace quorvel {
namespace {

using media::FramePtr;
using media::MediaFrame;
using namespace std::chrono_literals;

// A background that gives a new frame of the size it is told on every request.
class CountingBackground final : public media::MediaReader {
public:
    bool Open(const QString&, const QString&) override { return true; }
    FramePtr NextFrame() override { return Make(); }
    FramePtr FrameInFormat(const media::AVProps&) override { return Make(); }
    FramePtr PlaybackFrame(const media::AVProps&, double) override { return Make(); }
    double Duration() const override { return 0.0; }
    bool Close(std::chrono::milliseconds) override { return true; }
    void CloseAsync() override {}

    std::atomic<int> requests{0};
    std::atomic<int> width{1920};
    std::atomic<int> height{1080};

private:
    FramePtr Make() {
        ++requests;
        media::MutableFramePtr f = MediaFrame::CreateUninitialised(width, height);
        std::fill(f->bits(), f->bits() + f->byteCount(), std::uint8_t(0xFF));
        f->SetOpaque(true);
        return f;
    }
};

struct WorkerFixture : ::testing::Test {
    WorkerFixture()
        : background(std::make_shared<CountingBackground>())
        , worker(background, {}, nullptr, TState(eState::eST_StepFwd, -1.0, 0.0, 1.0, {}, true)) {
        PlaybackWorker::Notifications n;
        n.frameReady = [this] { ++framesAnnounced; };
        n.videoSizeChanged = [this](int w, int h) { sizes.emplace_back(w, h); };
        worker.SetNotifications(n);
    }
    std::shared_ptr<CountingBackground> background;
    PlaybackWorker worker;
    int framesAnnounced = 0;
    std::vector<std::pair<int, int>> sizes;
};

TEST_F(WorkerFixture, LearnsTheVideoSizeAndAsksForOneRefitPerChange) {
    EXPECT_EQ(worker.videoSize(), (VideoSize{0, 0})) << "0 x 0 before the first frame";
    ASSERT_TRUE(worker.ThreadPlaybackExecute());
    ASSERT_TRUE(worker.ThreadPlaybackExecute());
    EXPECT_EQ(worker.videoSize(), (VideoSize{1920, 1080}));
    EXPECT_EQ(sizes.size(), 1u);
    background->width = 1280;
    background->height = 720;
    ASSERT_TRUE(worker.ThreadPlaybackExecute());
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[1], std::make_pair(1280, 720));
}

TEST_F(WorkerFixture, AnnouncesAFrameOnlyOnceUntilTheWindowTookIt) {
    worker.ThreadPlaybackExecute();
    worker.ThreadPlaybackExecute();
    EXPECT_EQ(framesAnnounced, 1) << "the window's queue never fills with stale frames";
    worker.FrameShown();
    worker.ThreadPlaybackExecute();
    EXPECT_EQ(framesAnnounced, 2);
    EXPECT_TRUE(worker.LatestFrame());
}

TEST_F(WorkerFixture, ACycleWhileClosingAsksForNothing) {
    worker.SetClosing(true);
    EXPECT_FALSE(worker.ThreadPlaybackExecute());
    EXPECT_EQ(background->requests, 0);
}

TEST_F(WorkerFixture, AStepTurnsIntoPauseAfterAFrame) {
    worker.ThreadPlaybackExecute();
    EXPECT_EQ(worker.State().m_state, eState::eST_Pause);
    EXPECT_EQ(worker.State().m_dblFrameRequest, -1.0);
}

TEST(PlaybackWorker, StopsPromptlyWhenRunning) {
    auto background = std::make_shared<CountingBackground>();
    PlaybackWorker worker(background, {}, nullptr,
                          TState(eState::eST_PlayFwd, -1.0, 0.0, 1.0, {}, true));
    worker.Start();
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (background->requests < 3 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_GE(background->requests, 3);
    EXPECT_TRUE(worker.Stop(2s));
}

TEST(LoadPictureFrame, AMissingPictureGivesNoFrame) {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    EXPECT_FALSE(LoadPictureFrame(home.filePath(QStringLiteral("missing.png")), 64, 36));
}

TEST(LoadPictureFrame, AnUnreadableJpegFallsBackToAConvertedCopyMadeOnce) {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    const QString broken = home.filePath(QStringLiteral("logo.jpg"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a jpeg");
    file.close();
    int conversions = 0;
    SetJpegFallback([&](const QString& source, const QString& copy, int width, int) {
        ++conversions;
        EXPECT_EQ(source, broken);
        EXPECT_TRUE(copy.endsWith(QStringLiteral("/Temp/Strevia_Temp_logo.jpg")));
        QImage picture(width, 10, QImage::Format_RGB32);
        picture.fill(Qt::red);
        return picture.save(copy, "JPG");
    });
    const FramePtr frame = LoadPictureFrame(broken, 64, 36);
    SetJpegFallback(nullptr);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->size(), QSize(64, 36));
    EXPECT_EQ(conversions, 1);
}

TEST(PreviewEngine, BackgroundIsTheCheckerboardWhenPresentElseTheProgrammeInput) {
    QTemporaryDir folder;
    qputenv("XDG_DATA_HOME", folder.path().toUtf8());
    PreviewStartup startup;
    startup.indexProgram = 3;
    startup.inputCount = 4;
    startup.handoffPath = folder.filePath(QStringLiteral("none.dat"));
    startup.executableFolder = folder.path();
    startup.settingsPath = folder.filePath(QStringLiteral("none.sav"));
    {
        PreviewEngine engine;
        engine.InitVideo(20);
        engine.StartPreview(startup);
        EXPECT_EQ(engine.backgroundUrl(), QStringLiteral("mp://StreviaInput3"));
        const auto start = std::chrono::steady_clock::now();
        engine.StopPreview();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    }
    QImage checker(8, 8, QImage::Format_RGB32);
    checker.fill(Qt::gray);
    ASSERT_TRUE(checker.save(folder.filePath(QStringLiteral("checkerboard.png"))));
    PreviewEngine engine;
    engine.StartPreview(startup);
    EXPECT_EQ(engine.backgroundUrl(),
              WithTrailingDelimiter(folder.path()) + QStringLiteral("checkerboard.png"));
}

} // namespace
} // namespace quorvel
