// The playback worker composing while the window thread edits the layout and redraws the borders
// at a high rate. Run under ThreadSanitizer (make test): any exchange between the two threads that
// is not made safe shows as a data race. Uses the built-in test sources only, so that every frame
// comes from this project's own code.

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

#include "preview/borders.h"
#include "preview/composer.h"
#include "preview/media/test_source.h"
#include "preview/playback_worker.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

TEST(PlaybackWorkerThreads, EditsAndBorderRefreshesWhileComposingAreRaceFree) {
    constexpr int kWidth = 320;
    constexpr int kHeight = 180;
    media::AVProps format;
    format.width = kWidth;
    format.height = kHeight;
    format.framesPerSecond = 100.0;

    auto inputs = std::make_shared<InputSet>();
    for (int i = 1; i <= 4; ++i) {
        inputs->readers[std::size_t(i)] = std::make_shared<media::TestSourceReader>(i);
        inputs->formats[std::size_t(i)] = format;
    }
    auto composer = std::make_unique<PreviewComposer>(inputs, std::map<int, QString>{},
                                                      PreviewComposer::PictureLoading::Background);
    PlaybackWorker worker(std::make_shared<media::TestSourceReader>(5), format, std::move(composer),
                          TState(eState::eST_PlayFwd, -1.0, 0.0, 1.0, {}, true));
    std::atomic<int> announced{0};
    std::atomic<int> refits{0};
    PlaybackWorker::Notifications notifications;
    notifications.frameReady = [&] { ++announced; };
    notifications.videoSizeChanged = [&](int, int) { ++refits; };
    worker.SetNotifications(notifications);

    TPipSetup layout = InitialPipSetup();
    worker.PublishLayout(layout);
    worker.SetComposing(true);
    worker.Start();

    std::mt19937 rng(99);
    int edits = 0;
    int framesSeen = 0;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while ((edits < 3000 || announced < 40) && std::chrono::steady_clock::now() < deadline) {
        // One edit, as the window makes them: the record changes, the worker gets a snapshot.
        TPipEntry& e = layout[rng() % 4];
        e.Visible = std::uint8_t(rng() % 4 != 0);
        e.InputIndex = int(rng() % 6); // also out of range
        e.PosX = int(rng() % kWidth) - 20;
        e.PosY = int(rng() % kHeight) - 20;
        e.Width = int(rng() % kWidth);
        e.Height = int(rng() % kHeight);
        e.RecLeft = int(rng() % 100);
        e.RecTop = int(rng() % 100);
        e.RecRight = e.RecLeft + int(rng() % 300);
        e.RecBottom = rng() % 3 == 0 ? kUnsetMarker : e.RecTop + int(rng() % 200);
        e.Border = int(rng() % 8);
        e.BorderColor = rng();
        worker.PublishLayout(layout);
        if (edits % 5 == 0) {
            worker.PublishBorders(MakeBorderOverlay(nullptr, layout, {kWidth, kHeight}));
        }
        if (edits % 50 == 0) {
            worker.SetComposing(edits % 100 == 0);
            worker.SetComposing(true);
        }
        if (const media::FramePtr frame = worker.LatestFrame()) {
            ++framesSeen;
            volatile std::uint32_t corner = frame->row(0)[0]; // the window reads the pixels
            (void)corner;
        }
        (void)worker.videoSize();
        worker.FrameShown();
        ++edits;
        if (edits % 200 == 0) {
            std::this_thread::sleep_for(1ms); // let the worker's frames come through
        }
    }
    worker.SetClosing(true);
    EXPECT_TRUE(worker.Stop(10s));
    EXPECT_GE(announced.load(), 40) << "the worker composed while the edits went on";
    EXPECT_EQ(refits.load(), 1) << "one size, one refit";
    EXPECT_GT(framesSeen, 0);
    EXPECT_EQ(worker.videoSize(), (VideoSize{kWidth, kHeight}));
}

} // namespace
} // namespace quorvel
