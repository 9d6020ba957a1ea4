// The image tools split rows over worker threads and may be called from several threads at once
// (the preview's worker converts while the window thread works). Under ThreadSanitizer this
// catches rows shared between workers and unsynchronised first-use state; everywhere it checks
// that concurrent calls give the bytes of a lone call.

#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "util/image/image_tools.h"

using namespace quorvel;

namespace {

QImage RandomPicture(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    QImage image(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* line = image.scanLine(y);
        for (int i = 0; i < 3 * width; ++i) {
            line[i] = static_cast<std::uint8_t>(random());
        }
    }
    return image;
}

// Resampling up and down and blurring both kinds of band, with rows enough for several workers.
QImage Work(const QImage& src) {
    QImage up(src.width() * 2 + 3, src.height() * 2 + 1, QImage::Format_BGR888);
    ResampleBitmap(src, up);
    QImage down(src.width() / 2 + 1, src.height() / 2 + 5, QImage::Format_BGR888);
    ResampleBitmap(up, down);
    BlurBorderBands(up, 6.0f);
    BlurBorderBands(down, 3.0f);
    QImage fitted;
    FitToWidescreen(down, fitted, 4.0f);
    return fitted;
}

} // namespace

TEST(ImageToolsThreads, ConcurrentCallsGiveTheBytesOfALoneCall) {
    const QImage pictures[] = {RandomPicture(150, 200, 1), RandomPicture(260, 90, 2)};
    std::vector<QImage> expected;
    for (const QImage& picture : pictures) {
        expected.push_back(Work(picture));
    }
    std::vector<QImage> results(4);
    std::vector<std::thread> callers;
    for (std::size_t i = 0; i < results.size(); ++i) {
        callers.emplace_back([&, i] { results[i] = Work(pictures[i % 2]); });
    }
    for (std::thread& caller : callers) {
        caller.join();
    }
    for (std::size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i], expected[i % 2]) << "caller " << i;
    }
}
