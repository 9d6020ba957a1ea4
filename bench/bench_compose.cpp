// The cost of composing one 1920 x 1080 preview frame, against the floor of one memcpy of such a
// frame between buffers that are not in the cache.
//
// Layout (x, y, w, h; crop l, t, r, b): PIP 1 0,0,960,540 crop 0,0,1920,1080; PIP 2 960,0,960,540
// crop 0,0,1920,1080; PIP 3 0,540,960,540 crop 480,0,1440,1080; PIP 4 1184,630,640,360 crop
// 18,10,1902,1070; 6-pixel borders; a back overlay with alpha over the whole picture and a front
// overlay with alpha (a lower third and a logo). Every frame, background, inputs and overlays
// rotate over three frames each, so each composition reads them from memory, not from the cache.
// The counter "copies" is the composition's time in memcpy floors.

#include <benchmark/benchmark.h>

#include <QPainter>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "preview/borders.h"
#include "preview/compose_frame.h"
#include "preview/composer.h"
#include "preview/media/test_source.h"

namespace {

using namespace quorvel;
using media::FramePtr;
using media::MediaFrame;
using media::MutableFramePtr;

constexpr int kW = 1920;
constexpr int kH = 1080;
constexpr int kRotation = 3;
constexpr std::size_t kFrameBytes = std::size_t(kW) * kH * 4;
constexpr std::size_t kFloorBuffers = 32; // 32 x 8.3 MB = 265 MB

const QRect kTargets[4] = {
    {0, 0, 960, 540}, {960, 0, 960, 540}, {0, 540, 960, 540}, {1184, 630, 640, 360}};
const QRect kSources[4] = {
    {0, 0, 1920, 1080}, {0, 0, 1920, 1080}, {480, 0, 960, 1080}, {18, 10, 1884, 1060}};

MutableFramePtr Gradient(std::uint32_t seed) {
    MutableFramePtr f = MediaFrame::CreateUninitialised(kW, kH);
    for (int y = 0; y < kH; ++y) {
        std::uint32_t* row = f->row(y);
        for (int x = 0; x < kW; ++x) {
            row[x] = 0xFF000000u | ((std::uint32_t(x + seed) & 0xFFu) << 16) |
                     ((std::uint32_t(y * 3 + seed) & 0xFFu) << 8) | (seed & 0xFFu);
        }
    }
    f->SetOpaque(true);
    return f;
}

// Alpha over the whole picture, rising from left to right.
MutableFramePtr BackOverlay(std::uint32_t seed) {
    MutableFramePtr f = MediaFrame::CreateUninitialised(kW, kH);
    for (int y = 0; y < kH; ++y) {
        std::uint32_t* row = f->row(y);
        for (int x = 0; x < kW; ++x) {
            const std::uint32_t a = 32u + std::uint32_t(x * 192 / kW);
            const std::uint32_t c = (a * ((seed + std::uint32_t(y)) & 0xFFu)) / 255u;
            row[x] = (a << 24) | (c << 16) | (c << 8) | c;
        }
    }
    f->Analyse();
    return f;
}

// A translucent lower third and a logo; transparent elsewhere.
MutableFramePtr FrontOverlay(std::uint32_t seed) {
    MutableFramePtr f = MediaFrame::Create(kW, kH);
    for (int y = 880; y < 1000; ++y) {
        std::fill(f->row(y) + 96, f->row(y) + 1824, 0xC0000030u + (seed & 0xFu));
    }
    for (int y = 40; y < 140; ++y) {
        for (int x = 1660; x < 1860; ++x) {
            const std::uint32_t a = std::uint32_t((x - 1660) + (y - 40)) & 0xFFu;
            f->row(y)[x] = (a << 24) | (a << 16) | (a << 8) | a;
        }
    }
    f->Analyse();
    return f;
}

struct Scene {
    std::vector<FramePtr> backgrounds;
    std::vector<FramePtr> inputs[4];
    std::vector<FramePtr> backs;
    std::vector<FramePtr> fronts;
    FramePtr borders;

    Scene() {
        for (int r = 0; r < kRotation; ++r) {
            backgrounds.push_back(Gradient(std::uint32_t(r * 7)));
            for (int i = 0; i < 4; ++i) {
                inputs[i].push_back(Gradient(std::uint32_t(40 * i + r)));
            }
            backs.push_back(BackOverlay(std::uint32_t(r)));
            fronts.push_back(FrontOverlay(std::uint32_t(r)));
        }
        TPipSetup setup{};
        for (int i = 0; i < 4; ++i) {
            TPipEntry& e = setup[std::size_t(i)];
            e.Visible = 1;
            e.Border = 6;
            e.BorderColor = 0x00D7FF;
            e.PosX = kTargets[i].x();
            e.PosY = kTargets[i].y();
            e.Width = kTargets[i].width();
            e.Height = kTargets[i].height();
        }
        borders = MakeBorderOverlay(nullptr, setup, {kW, kH});
    }

    ComposeLayers Layers(int r) const {
        ComposeLayers layers;
        layers.background = backgrounds[std::size_t(r)];
        layers.back = backs[std::size_t(r)];
        for (int i = 0; i < 4; ++i) {
            layers.pips[std::size_t(i)] = {inputs[i][std::size_t(r)], kSources[i], kTargets[i]};
        }
        layers.borders = borders;
        layers.front = fronts[std::size_t(r)];
        return layers;
    }
};

const Scene& TheScene() {
    static const Scene scene;
    return scene;
}

std::vector<std::vector<std::uint8_t>>& FloorBuffers() {
    static std::vector<std::vector<std::uint8_t>> buffers = [] {
        std::vector<std::vector<std::uint8_t>> b(kFloorBuffers);
        for (std::size_t i = 0; i < kFloorBuffers; ++i) {
            b[i].assign(kFrameBytes, std::uint8_t(i));
        }
        return b;
    }();
    return buffers;
}

// Seconds per out-of-cache memcpy of one frame, measured once (best of several passes).
// CPU time of this thread: the benchmarks' times are CPU times too, so the ratio holds on a
// machine that other work shares.
double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double FloorSeconds() {
    static const double seconds = [] {
        auto& b = FloorBuffers();
        double best = 1e9;
        for (int pass = 0; pass < 5; ++pass) {
            const double start = ThreadCpuSeconds();
            for (std::size_t i = 0; i < kFloorBuffers; ++i) {
                std::memcpy(b[(i + 1) % kFloorBuffers].data(), b[i].data(), kFrameBytes);
            }
            const double s = (ThreadCpuSeconds() - start) / kFloorBuffers;
            best = std::min(best, s);
        }
        return best;
    }();
    return seconds;
}

void BM_MemcpyFloor1080p(benchmark::State& state) {
    auto& b = FloorBuffers();
    std::size_t i = 0;
    for (auto _ : state) {
        std::memcpy(b[(i + 1) % kFloorBuffers].data(), b[i].data(), kFrameBytes);
        benchmark::ClobberMemory();
        i = (i + 1) % kFloorBuffers;
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kFrameBytes));
}
BENCHMARK(BM_MemcpyFloor1080p)->Unit(benchmark::kMillisecond);

void ReportCopies(benchmark::State& state) {
    state.counters["copies"] =
        benchmark::Counter(FloorSeconds(), benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}

void BM_ComposeFast1080p(benchmark::State& state) {
    const Scene& scene = TheScene();
    FloorSeconds();
    media::FramePool pool(kRotation);
    int r = 0;
    for (auto _ : state) {
        MutableFramePtr out = pool.Acquire(kW, kH);
        ComposeFast(scene.Layers(r), *out);
        benchmark::DoNotOptimize(out->bits());
        r = (r + 1) % kRotation;
    }
    ReportCopies(state);
}
BENCHMARK(BM_ComposeFast1080p)->Unit(benchmark::kMillisecond);

// The same frame with QPainter, the straightforward way.
void BM_ComposeQPainter1080p(benchmark::State& state) {
    const Scene& scene = TheScene();
    FloorSeconds();
    std::vector<QImage> images;
    auto wrap = [](const FramePtr& f) {
        return QImage(f->bits(), f->width(), f->height(), f->rowBytes(),
                      QImage::Format_ARGB32_Premultiplied);
    };
    media::FramePool pool(kRotation);
    int r = 0;
    for (auto _ : state) {
        const ComposeLayers layers = scene.Layers(r);
        MutableFramePtr out = pool.Acquire(kW, kH);
        QImage target = out->WrapImage();
        QPainter painter(&target);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, wrap(layers.background));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(0, 0, wrap(layers.back));
        for (const PipLayer& pip : layers.pips) {
            painter.drawImage(pip.target, wrap(pip.frame), pip.source);
        }
        painter.drawImage(0, 0, wrap(layers.borders));
        painter.drawImage(0, 0, wrap(layers.front));
        painter.end();
        benchmark::DoNotOptimize(out->bits());
        r = (r + 1) % kRotation;
    }
    ReportCopies(state);
}
BENCHMARK(BM_ComposeQPainter1080p)->Unit(benchmark::kMillisecond);

void BM_ComposeReference1080p(benchmark::State& state) {
    const Scene& scene = TheScene();
    FloorSeconds();
    int r = 0;
    for (auto _ : state) {
        MutableFramePtr out = ComposeReference(scene.Layers(r));
        benchmark::DoNotOptimize(out->bits());
        r = (r + 1) % kRotation;
    }
    ReportCopies(state);
}
BENCHMARK(BM_ComposeReference1080p)->Unit(benchmark::kMillisecond)->Iterations(5);

// One playback cycle's work at 1080p with four live test sources: the sources draw their new
// frames and the layout is composed. Must stay well under 16.7 ms for 60 frames per second.
void BM_PlaybackCycleFourTestSources1080p(benchmark::State& state) {
    media::AVProps format;
    format.width = kW;
    format.height = kH;
    format.framesPerSecond = 60.0;
    auto inputs = std::make_shared<InputSet>();
    for (int i = 1; i <= 4; ++i) {
        inputs->readers[std::size_t(i)] = std::make_shared<media::TestSourceReader>(i);
        inputs->formats[std::size_t(i)] = format;
    }
    PreviewComposer composer(inputs, {}, PreviewComposer::PictureLoading::Blocking);
    media::TestSourceReader background(5);
    TPipSetup setup = InitialPipSetup();
    for (int i = 0; i < 4; ++i) {
        TPipEntry& e = setup[std::size_t(i)];
        e.InputIndex = i + 1;
        e.Visible = 1;
        e.Border = 6;
        e.PosX = kTargets[i].x();
        e.PosY = kTargets[i].y();
        e.Width = kTargets[i].width();
        e.Height = kTargets[i].height();
        e.RecLeft = kSources[i].left();
        e.RecTop = kSources[i].top();
        e.RecRight = kSources[i].right() + 1;
        e.RecBottom = kSources[i].bottom() + 1;
    }
    const FramePtr borders = MakeBorderOverlay(nullptr, setup, {kW, kH});
    for (auto _ : state) {
        FramePtr frame = background.FrameInFormat(format);
        composer.ComposeFrame(frame, setup, borders);
        benchmark::DoNotOptimize(frame.get());
    }
}
BENCHMARK(BM_PlaybackCycleFourTestSources1080p)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
