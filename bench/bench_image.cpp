// The image tools at the sizes the tool meets: a 4K frame resampled to 1080p (beside libswscale's
// bilinear scaler on the same job), the band blur of a portrait picture's working copy, and the
// converter on a 24-megapixel photograph. "Time" is wall-clock time; "CPU" is the CPU time of
// the whole process, all worker threads included, which stays meaningful on a loaded machine.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QTemporaryDir>

#include <cstdint>
#include <random>

extern "C" {
#include <libswscale/swscale.h>
}

#include "util/image/image_tools.h"

namespace {

// Smooth gradients with fine noise: photograph-like for the JPEG coder, no shortcuts for the rest.
QImage TestPicture(int width, int height) {
    QImage image(width, height, QImage::Format_BGR888);
    std::mt19937 random(42);
    std::uniform_int_distribution<int> noise(0, 15);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* line = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            line[3 * x] = static_cast<std::uint8_t>(x * 200 / width + noise(random));
            line[3 * x + 1] = static_cast<std::uint8_t>(y * 200 / height + noise(random));
            line[3 * x + 2] =
                static_cast<std::uint8_t>((x + y) * 100 / (width + height) + noise(random));
        }
    }
    return image;
}

void BM_ResampleBitmap_3840x2160_to_1920x1080(benchmark::State& state) {
    const QImage src = TestPicture(3840, 2160);
    QImage dst(1920, 1080, QImage::Format_BGR888);
    for (auto _ : state) {
        quorvel::ResampleBitmap(src, dst);
        benchmark::DoNotOptimize(dst.constBits());
    }
}
BENCHMARK(BM_ResampleBitmap_3840x2160_to_1920x1080)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_SwsBilinear_3840x2160_to_1920x1080(benchmark::State& state) {
    const QImage src = TestPicture(3840, 2160);
    QImage dst(1920, 1080, QImage::Format_BGR888);
    SwsContext* context = sws_getContext(3840, 2160, AV_PIX_FMT_BGR24, 1920, 1080, AV_PIX_FMT_BGR24,
                                         SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (context == nullptr) {
        state.SkipWithError("sws_getContext failed");
        return;
    }
    const std::uint8_t* const srcPlanes[] = {src.constBits()};
    const int srcStrides[] = {static_cast<int>(src.bytesPerLine())};
    std::uint8_t* const dstPlanes[] = {dst.bits()};
    const int dstStrides[] = {static_cast<int>(dst.bytesPerLine())};
    for (auto _ : state) {
        sws_scale(context, srcPlanes, srcStrides, 0, 2160, dstPlanes, dstStrides);
        benchmark::DoNotOptimize(dst.constBits());
    }
    sws_freeContext(context);
}
BENCHMARK(BM_SwsBilinear_3840x2160_to_1920x1080)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_BlurBorderBands_960x1080_r10(benchmark::State& state) {
    const QImage src = TestPicture(960, 1080);
    for (auto _ : state) {
        QImage image = src.copy();
        quorvel::BlurBorderBands(image, 10.0f);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_BlurBorderBands_960x1080_r10)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_ConvertJPEGFile_6000x4000_to_1920(benchmark::State& state) {
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    quorvel::SaveJPEGFile(TestPicture(6000, 4000), folder, QStringLiteral("photo.jpg"), 90);
    for (auto _ : state) {
        const quorvel::ConvertResult result = quorvel::ConvertJPEGFile(
            folder + QStringLiteral("photo.jpg"), folder + QStringLiteral("Temp/copy.jpg"), 1920,
            1080, 100, false, false, false);
        if (result != quorvel::ConvertResult::Written) {
            state.SkipWithError("the converter wrote nothing");
            return;
        }
    }
}
BENCHMARK(BM_ConvertJPEGFile_6000x4000_to_1920)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The steps of the converter on their own, to show where its time goes.
void BM_LoadJPEGFile_6000x4000(benchmark::State& state) {
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    quorvel::SaveJPEGFile(TestPicture(6000, 4000), folder, QStringLiteral("photo.jpg"), 90);
    QImage picture;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            quorvel::LoadJPEGFile(picture, folder, QStringLiteral("photo.jpg")));
    }
}
BENCHMARK(BM_LoadJPEGFile_6000x4000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
