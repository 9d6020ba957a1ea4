// Composition of a preview frame: the fast path against the plain one, and what the operator sees
// of a layout (crop, placement, borders, overlays and their order).

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <random>
#include <set>
#include <thread>

#include "preview/borders.h"
#include "preview/compose_frame.h"
#include "preview/composer.h"
#include "preview/media/test_source.h"
#include "test_media.h"

namespace quorvel {
namespace {

using media::FramePtr;
using media::MediaFrame;
using media::MutableFramePtr;

MutableFramePtr Filled(int w, int h, std::uint32_t pixel) {
    MutableFramePtr f = MediaFrame::CreateUninitialised(w, h);
    for (int y = 0; y < h; ++y) {
        std::fill(f->row(y), f->row(y) + w, pixel);
    }
    if ((pixel >> 24) == 0xFFu) {
        f->SetOpaque(true);
    }
    return f;
}

// A valid premultiplied pixel from any 32 random bits.
std::uint32_t Premultiplied(std::uint32_t bits) {
    const std::uint32_t a = bits >> 24;
    std::uint32_t out = a << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        out |= ((((bits >> shift) & 0xFFu) * a) / 255u) << shift;
    }
    return out;
}

enum class Alpha { Opaque, Mixed, Sparse };

MutableFramePtr Noise(std::mt19937& rng, int w, int h, Alpha alpha) {
    MutableFramePtr f = MediaFrame::CreateUninitialised(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint32_t bits = rng();
            if (alpha == Alpha::Opaque) {
                bits |= 0xFF000000u;
            } else if (alpha == Alpha::Sparse && (x / 7 + y / 5) % 3 != 0) {
                bits = 0; // transparent stretches, so the runs have gaps
            } else if (rng() % 4 == 0) {
                bits |= 0xFF000000u;
            }
            f->row(y)[x] = Premultiplied(bits);
        }
    }
    if (alpha == Alpha::Opaque) {
        f->SetOpaque(true);
    } else {
        f->Analyse();
    }
    return f;
}

void ExpectSamePixels(const MediaFrame& a, const MediaFrame& b) {
    ASSERT_EQ(a.size(), b.size());
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            ASSERT_EQ(a.row(y)[x], b.row(y)[x]) << "at " << x << "," << y;
        }
    }
}

// Random layouts over random pictures: opaque and translucent inputs, crops partly outside their
// input, placements partly outside the frame, overlapping PIPs and overlays of another size. Any
// shortcut of the fast path that changes a pixel shows here.
TEST(ComposeFast, GivesExactlyTheReferencePixels) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        const int w = 40 + int(rng() % 90);
        const int h = 30 + int(rng() % 60);
        ComposeLayers layers;
        layers.background = Noise(rng, w, h, Alpha::Opaque);
        if (rng() % 3 != 0) {
            const bool otherSize = rng() % 4 == 0;
            layers.back = Noise(rng, otherSize ? w / 2 + 1 : w, otherSize ? h * 2 : h,
                                rng() % 2 ? Alpha::Mixed : Alpha::Opaque);
        }
        for (PipLayer& pip : layers.pips) {
            if (rng() % 5 == 0) {
                continue;
            }
            const int pw = 8 + int(rng() % 120);
            const int ph = 8 + int(rng() % 80);
            const Alpha a = rng() % 3 == 0 ? Alpha::Mixed : Alpha::Opaque;
            pip.frame = Noise(rng, pw, ph, a);
            pip.source = QRect(int(rng() % pw) - 4, int(rng() % ph) - 4, 1 + int(rng() % pw),
                               1 + int(rng() % ph));
            if (rng() % 3 == 0) {
                pip.source = QRect(0, 0, pw, ph);
            }
            pip.target = QRect(int(rng() % w) - 10, int(rng() % h) - 10, 1 + int(rng() % w),
                               1 + int(rng() % h));
            if (rng() % 4 == 0) { // exact halving: the SIMD gather path
                pip.source = QRect(1, 0, 2 * (pw / 2) - 2, ph);
                pip.target = QRect(3, 2, pw / 2 - 1, ph / 2);
            }
        }
        layers.borders = Noise(rng, w, h, Alpha::Sparse);
        if (rng() % 2) {
            layers.front = Noise(rng, rng() % 3 ? w : w + 7, h, Alpha::Sparse);
        }
        const MutableFramePtr reference = ComposeReference(layers);
        const MutableFramePtr fast = MediaFrame::Create(w, h);
        ComposeFast(layers, *fast);
        ExpectSamePixels(*fast, *reference);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST(ComposeFast, GivesTheReferencePixelsForTheBenchmarkLayout) {
    std::mt19937 rng(7);
    ComposeLayers layers;
    layers.background = Noise(rng, 1920, 1080, Alpha::Opaque);
    layers.back = Noise(rng, 1920, 1080, Alpha::Mixed);
    const QRect targets[4] = {
        {0, 0, 960, 540}, {960, 0, 960, 540}, {0, 540, 960, 540}, {1184, 630, 640, 360}};
    const QRect sources[4] = {
        {0, 0, 1920, 1080}, {0, 0, 1920, 1080}, {480, 0, 960, 1080}, {18, 10, 1884, 1060}};
    for (int i = 0; i < 4; ++i) {
        layers.pips[std::size_t(i)] = {Noise(rng, 1920, 1080, Alpha::Opaque), sources[i],
                                       targets[i]};
    }
    TPipSetup setup{};
    for (int i = 0; i < 4; ++i) {
        setup[std::size_t(i)].Visible = 1;
        setup[std::size_t(i)].Border = 6;
        setup[std::size_t(i)].BorderColor = 0x00FFFF;
        setup[std::size_t(i)].PosX = targets[i].x();
        setup[std::size_t(i)].PosY = targets[i].y();
        setup[std::size_t(i)].Width = targets[i].width();
        setup[std::size_t(i)].Height = targets[i].height();
    }
    layers.borders = MakeBorderOverlay(nullptr, setup, {1920, 1080});
    layers.front = Noise(rng, 1920, 1080, Alpha::Sparse);
    const MutableFramePtr fast = MediaFrame::Create(1920, 1080);
    ComposeFast(layers, *fast);
    ExpectSamePixels(*fast, *ComposeReference(layers));
}

// ---- The composer over a layout record.

constexpr std::uint32_t kBackground = 0xFF202020u;

// A reader that always gives the same frame (an input, or an overlay file).
class FixedReader final : public media::MediaReader {
public:
    explicit FixedReader(FramePtr frame)
        : m_frame(std::move(frame)) {}
    bool Open(const QString&, const QString&) override { return true; }
    FramePtr NextFrame() override {
        ++requests;
        return m_frame;
    }
    FramePtr FrameInFormat(const media::AVProps&) override { return NextFrame(); }
    FramePtr PlaybackFrame(const media::AVProps&, double) override { return NextFrame(); }
    double Duration() const override { return 0.0; }
    bool Close(std::chrono::milliseconds) override { return true; }
    void CloseAsync() override {}
    int requests = 0;

private:
    FramePtr m_frame;
};

TPipEntry Pip(int input, QRect place) {
    TPipEntry e{};
    e.InputIndex = input;
    e.PosX = place.x();
    e.PosY = place.y();
    e.Width = place.width();
    e.Height = place.height();
    e.RecBottom = kUnsetMarker;
    e.Visible = 1;
    return e;
}

struct ComposerFixture : ::testing::Test {
    ComposerFixture() {
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        // Input 1: left half red, right half green (so a crop shows which half it took).
        MutableFramePtr halves = MediaFrame::CreateUninitialised(200, 100);
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 200; ++x) {
                halves->row(y)[x] = x < 100 ? 0xFFFF0000u : 0xFF00FF00u;
            }
        }
        halves->SetOpaque(true);
        auto set = std::make_shared<InputSet>();
        set->readers[1] = std::make_shared<FixedReader>(halves);
        set->readers[2] = std::make_shared<FixedReader>(Filled(200, 100, 0xFF0000FFu));
        inputs = set;
        layout = InitialPipSetup();
    }
    FramePtr Compose(PreviewComposer& composer, const FramePtr& borders = nullptr) {
        FramePtr frame = Filled(200, 100, kBackground);
        composer.ComposeFrame(frame, layout, borders);
        return frame;
    }
    PreviewComposer MakeComposer() {
        return PreviewComposer(inputs, {}, PreviewComposer::PictureLoading::Blocking,
                               TestSourceMotion::Frozen);
    }
    QTemporaryDir home;
    std::shared_ptr<InputSet> inputs;
    TPipSetup layout{};
};

TEST_F(ComposerFixture, CropAndPlacementPickTheRightPixels) {
    PreviewComposer composer = MakeComposer();
    layout[0] = Pip(1, {10, 10, 50, 40}); // unset crop: the whole input, squeezed 4:1 by 2.5:1
    layout[1] = Pip(1, {100, 10, 50, 40});
    layout[1].RecLeft = 100; // the right half only: all green
    layout[1].RecTop = 0;
    layout[1].RecRight = 200;
    layout[1].RecBottom = 100;
    const FramePtr out = Compose(composer);
    EXPECT_EQ(out->row(20)[10], 0xFFFF0000u) << "left edge of the whole input is red";
    EXPECT_EQ(out->row(20)[59], 0xFF00FF00u) << "right edge of the whole input is green";
    EXPECT_EQ(out->row(20)[9], kBackground) << "nothing left of the placement";
    EXPECT_EQ(out->row(50)[30], kBackground) << "nothing below it";
    for (int x = 100; x < 150; ++x) {
        ASSERT_EQ(out->row(30)[x], 0xFF00FF00u) << "the cropped PIP shows only green, x " << x;
    }
}

TEST_F(ComposerFixture, AWholeCropIsTheWholeInputAndAnEmptyCropLeavesThePipOut) {
    PreviewComposer composer = MakeComposer();
    layout[0] = Pip(1, {0, 0, 200, 100});
    layout[0].RecRight = 200; // 0, 0, video width, video height: no cut
    layout[0].RecBottom = 100;
    FramePtr out = Compose(composer);
    EXPECT_EQ(out->row(0)[0], 0xFFFF0000u);
    EXPECT_EQ(out->row(99)[199], 0xFF00FF00u);
    layout[0].RecLeft = 150;
    layout[0].RecRight = 150;
    out = Compose(composer);
    EXPECT_EQ(out->row(50)[100], kBackground);
}

// The 6-pixel example: PosX 100, PosY 50, 400 x 225: the band from (100, 50) to (500, 275), 6
// pixels thick, nothing outside or further inside.
TEST(DrawBorders, SixPixelBorderCoversExactlyTheBandInsideThePip) {
    TPipSetup setup{};
    setup[0] = Pip(1, {100, 50, 400, 225});
    setup[0].Border = 6;
    setup[0].BorderColor = 255; // pure red
    const FramePtr overlay = MakeBorderOverlay(nullptr, setup, {640, 360});
    ASSERT_TRUE(overlay);
    for (int y = 0; y < 360; ++y) {
        for (int x = 0; x < 640; ++x) {
            const bool inOuter = x >= 100 && x < 500 && y >= 50 && y < 275;
            const bool inInner = x >= 106 && x < 494 && y >= 56 && y < 269;
            const std::uint32_t expected = inOuter && !inInner ? 0xFFFF0000u : 0u;
            ASSERT_EQ(overlay->row(y)[x], expected) << "at " << x << "," << y;
        }
    }
}

TEST(DrawBorders, OnlyVisiblePipsWithABorderGetOne) {
    TPipSetup setup{};
    setup[0] = Pip(1, {0, 0, 20, 20}); // Border 0
    setup[1] = Pip(1, {30, 0, 20, 20});
    setup[1].Border = 2;
    setup[1].Visible = 0;
    setup[2] = Pip(1, {0, 30, 20, 20});
    setup[2].Border = 30; // wider than half the PIP: the whole PIP
    setup[2].BorderColor = 0xFF0000;
    const FramePtr overlay = MakeBorderOverlay(nullptr, setup, {64, 64});
    EXPECT_EQ(overlay->row(10)[10], 0u);
    EXPECT_EQ(overlay->row(1)[31], 0u);
    EXPECT_EQ(overlay->row(40)[10], 0xFF0000FFu) << "BorderColor holds blue in its third byte";
    EXPECT_EQ(overlay->row(40)[20], 0u);
}

TEST(DrawBorders, SystemColoursResolveToTheirCurrentValue) {
    const QRgb highlight = ResolveBorderColor(0x8000000Du); // COLOR_HIGHLIGHT
    EXPECT_EQ(highlight, SystemColour(13) | 0xFF000000u);
    EXPECT_EQ(ResolveBorderColor(0x0000FF), qRgb(255, 0, 0));
}

TEST(MakeBorderOverlay, UsesTheBaseOnlyWhenItFitsTheVideo) {
    TPipSetup setup{};
    const MutableFramePtr base = Filled(32, 18, 0x40000000u);
    EXPECT_EQ(MakeBorderOverlay(base, setup, {32, 18})->row(0)[0], 0x40000000u);
    EXPECT_EQ(MakeBorderOverlay(base, setup, {0, 0})->size(), QSize(32, 18));
    const FramePtr own = MakeBorderOverlay(base, setup, {64, 36});
    EXPECT_EQ(own->size(), QSize(64, 36)) << "a base of another size would misplace the borders";
    EXPECT_EQ(own->row(0)[0], 0u);
    EXPECT_FALSE(MakeBorderOverlay(nullptr, setup, {0, 0}));
}

TEST_F(ComposerFixture, OverlaysComeInOrderBackPipsBordersFront) {
    QTemporaryDir dir;
    // Back: opaque white (under the PIP); front: a half-transparent black square at 0..10.
    const QString back = dir.filePath(QStringLiteral("back.png"));
    Filled(200, 100, 0xFFFFFFFFu)->ToImage().save(back);
    QImage front(200, 100, QImage::Format_ARGB32_Premultiplied);
    front.fill(Qt::transparent);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            front.setPixel(x, y, 0x80000000u);
        }
    }
    const QString frontPath = dir.filePath(QStringLiteral("front.png"));
    front.save(frontPath);
    SetShortStringText(layout[0].BackFile, back);
    SetShortStringText(layout[0].FrontFile, frontPath);
    layout[0] = [&] {
        TPipEntry e = Pip(2, {0, 0, 50, 50});
        e.BackFile = layout[0].BackFile;
        e.FrontFile = layout[0].FrontFile;
        e.Border = 2;
        e.BorderColor = 0x00FF00; // green
        return e;
    }();
    const FramePtr borders = MakeBorderOverlay(nullptr, layout, {200, 100});
    PreviewComposer composer = MakeComposer();
    FramePtr out;
    for (int i = 0; i < 400 && (!out || out->row(5)[5] == 0xFF0000FFu); ++i) {
        out = Compose(composer, borders); // the front picture loads on a thread of its own
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(out->row(60)[100], 0xFFFFFFFFu) << "back over the background";
    EXPECT_EQ(out->row(20)[20], 0xFF0000FFu) << "the PIP over the back";
    EXPECT_EQ(out->row(20)[0], 0xFF00FF00u) << "its border over the PIP";
    EXPECT_EQ(out->row(5)[5], 0xFF00007Fu) << "front over all: 127/255 of the PIP's blue";
    EXPECT_EQ(out->row(0)[5], 0xFF007F00u) << "front over the border";
}

TEST_F(ComposerFixture, APipWithoutInputShowsOnlyItsBorderAndNoVisiblePipShowsNoBorder) {
    layout[0] = Pip(7, {10, 10, 40, 40}); // input 7 has no reader
    layout[0].Border = 4;
    layout[0].BorderColor = 0xFFFFFF;
    const FramePtr borders = MakeBorderOverlay(nullptr, layout, {200, 100});
    PreviewComposer composer = MakeComposer();
    FramePtr out = Compose(composer, borders);
    EXPECT_EQ(out->row(10)[10], 0xFFFFFFFFu) << "border drawn";
    EXPECT_EQ(out->row(30)[30], kBackground) << "no picture inside";
    layout[0].InputIndex = 0;
    out = Compose(composer, borders);
    EXPECT_EQ(out->row(10)[10], 0xFFFFFFFFu) << "input 0 is out of range too";

    layout[0].Visible = 0; // the overlay still holds the border of the earlier edit
    out = Compose(composer, borders);
    EXPECT_EQ(out->row(10)[10], kBackground);
}

TEST_F(ComposerFixture, AnImageSequenceAdvancesEveryTwentiethFrame) {
    const QString pattern = testing::SequencePattern();
    ASSERT_FALSE(pattern.isEmpty());
    SetShortStringText(layout[0].BackFile, pattern);
    PreviewComposer composer = MakeComposer();
    std::vector<std::uint32_t> seen;
    for (int frame = 0; frame < 61; ++frame) {
        seen.push_back(Compose(composer)->row(0)[0]);
        // Time for the reader to decode the next picture ahead.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The colour may change only on frames 0, 20, 40, 60.
    for (std::size_t i = 1; i < seen.size(); ++i) {
        if (i % 20 != 0) {
            EXPECT_EQ(seen[i], seen[i - 1]) << "frame " << i;
        }
    }
    const std::set<std::uint32_t> colours(seen.begin(), seen.end());
    EXPECT_GE(colours.size(), 3u) << "the sequence advanced";
}

TEST_F(ComposerFixture, BackCounterWrapsAtItsLimit) {
    SetShortStringText(layout[0].BackFile, QStringLiteral("/nonexistent/clip.mp4"));
    PreviewComposer composer = MakeComposer();
    FramePtr frame = Filled(8, 8, kBackground);
    for (int i = 0; i < kBackCounterWrap; ++i) {
        composer.BuildLayers(frame, layout, nullptr);
    }
    EXPECT_EQ(composer.backCounter(), 0);
}

TEST_F(ComposerFixture, AStillBackPictureIsLoadedAtTheVideoSize) {
    QTemporaryDir dir;
    const QString back = dir.filePath(QStringLiteral("small.png"));
    Filled(20, 10, 0xFF00FFFFu)->ToImage().save(back);
    SetShortStringText(layout[0].BackFile, back);
    PreviewComposer composer = MakeComposer();
    const ComposeLayers layers = composer.BuildLayers(Filled(200, 100, kBackground), layout, {});
    ASSERT_TRUE(layers.back);
    EXPECT_EQ(layers.back->size(), QSize(200, 100));
}

TEST_F(ComposerFixture, ABackFileThatCannotBeLoadedIsRetriedOnlyWhenItsNameChanges) {
    QTemporaryDir dir;
    const QString back = dir.filePath(QStringLiteral("late.png"));
    SetShortStringText(layout[0].BackFile, back);
    PreviewComposer composer = MakeComposer();
    EXPECT_EQ(Compose(composer)->row(0)[0], kBackground) << "missing: nothing drawn";
    Filled(200, 100, 0xFFFFFFFFu)->ToImage().save(back);
    EXPECT_EQ(Compose(composer)->row(0)[0], kBackground) << "same name: not loaded again";
    SetShortStringText(layout[0].BackFile, QString());
    Compose(composer);
    SetShortStringText(layout[0].BackFile, back);
    EXPECT_EQ(Compose(composer)->row(0)[0], 0xFFFFFFFFu) << "a new name loads it";
}

TEST_F(ComposerFixture, ABmpBackFileGoesThroughTheReaderEveryFrame) {
    QTemporaryDir dir;
    const QString back = dir.filePath(QStringLiteral("back.bmp"));
    Filled(200, 100, 0xFF00FF00u)->ToImage().save(back);
    SetShortStringText(layout[0].BackFile, back);
    PreviewComposer composer = MakeComposer();
    FramePtr out;
    for (int i = 0; i < 400 && (!out || out->row(1)[1] == kBackground); ++i) {
        out = Compose(composer);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(out->row(1)[1], 0xFF00FF00u);
}

TEST_F(ComposerFixture, FilesOfEntriesOneToThreeHaveNoEffect) {
    QTemporaryDir dir;
    const QString back = dir.filePath(QStringLiteral("back.png"));
    Filled(200, 100, 0xFFFFFFFFu)->ToImage().save(back);
    for (std::size_t i = 1; i < 4; ++i) {
        SetShortStringText(layout[i].BackFile, back);
        SetShortStringText(layout[i].FrontFile, back);
    }
    PreviewComposer composer = MakeComposer();
    EXPECT_EQ(Compose(composer)->row(50)[100], kBackground);
}

TEST(TestSource, DrawsItsColourAndMovesOverTime) {
    media::TestSourceReader early(3, 0);
    media::TestSourceReader later(3, 15);
    const FramePtr a = early.NextFrame();
    const FramePtr b = later.NextFrame();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->size(), QSize(1920, 1080)) << "its own size";
    EXPECT_TRUE(a->opaque());
    EXPECT_EQ(a->row(1)[960], media::TestSourceReader::InputColour(3).rgba())
        << "the edge is in the input's own colour";
    bool differs = false;
    for (int x = 0; x < 1920 && !differs; ++x) {
        differs = a->row(540)[x] != b->row(540)[x];
    }
    EXPECT_TRUE(differs) << "the bar moved";
    media::AVProps hd;
    hd.formatCode = 3; // 720p 25
    EXPECT_EQ(early.FrameInFormat(hd)->size(), QSize(1280, 720));
}

} // namespace
} // namespace quorvel
