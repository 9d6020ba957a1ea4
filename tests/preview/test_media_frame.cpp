// Frames, the blend rule and picture loading.

#include <gtest/gtest.h>

#include <cmath>

#include "preview/media/frame_factory.h"
#include "preview/media/media_frame.h"
#include "preview/media/video_format.h"
#include "test_media.h"

namespace quorvel::media {
namespace {

MutableFramePtr Filled(int w, int h, std::uint32_t pixel) {
    MutableFramePtr f = MediaFrame::CreateUninitialised(w, h);
    for (int y = 0; y < h; ++y) {
        std::fill(f->row(y), f->row(y) + w, pixel);
    }
    return f;
}

TEST(BlendPixel, MatchesRoundedPremultipliedSourceOver) {
    // Every alpha and a spread of channel values against the exact rational result.
    for (std::uint32_t a = 0; a <= 255; ++a) {
        for (std::uint32_t d = 0; d <= 255; d += 5) {
            const std::uint32_t s = a / 2; // a valid premultiplied channel
            const std::uint32_t src = (a << 24) | (s << 16) | (s << 8) | s;
            const std::uint32_t dst = 0xFF000000u | (d << 16) | (d << 8) | d;
            const std::uint32_t out = BlendPixel(dst, src);
            const auto expected = std::uint32_t(std::lround(s + d * (255.0 - a) / 255.0));
            ASSERT_EQ(out & 0xFFu, expected) << "alpha " << a << " dst " << d;
            ASSERT_EQ(out >> 24, 255u) << "over an opaque pixel the result stays opaque";
        }
    }
    EXPECT_EQ(BlendPixel(0x12345678u, 0u), 0x12345678u) << "transparent leaves dst";
    EXPECT_EQ(BlendPixel(0x12345678u, 0xFF010203u), 0xFF010203u) << "opaque replaces dst";
    EXPECT_EQ(BlendPixel(0xFFFFFFFFu, 0x00FF0000u) & 0x00FF0000u, 0x00FF0000u)
        << "an invalid pixel saturates instead of wrapping";
}

TEST(MediaFrame, CutClipsToTheFrameAndRefusesEmptyParts) {
    MutableFramePtr f = MediaFrame::Create(10, 8);
    f->row(3)[4] = 0xFF00FF00u;
    const MutableFramePtr cut = f->Cut(4, 3, 20, 20);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->size(), QSize(6, 5));
    EXPECT_EQ(cut->row(0)[0], 0xFF00FF00u);
    EXPECT_FALSE(f->Cut(5, 5, 5, 9)) << "zero width";
    EXPECT_FALSE(f->Cut(20, 0, 30, 8)) << "outside";
}

TEST(MediaFrame, OverlayRectStretchesByNearestPixelAtCentresAndClips) {
    MutableFramePtr src = MediaFrame::CreateUninitialised(4, 1);
    for (int x = 0; x < 4; ++x) {
        src->row(0)[x] = 0xFF000000u | std::uint32_t(x + 1);
    }
    MutableFramePtr dst = MediaFrame::Create(10, 2);
    dst->OverlayRect(*src, QRect(-2, 0, 8, 2)); // two output pixels per input pixel, left clipped
    const std::uint32_t expected[] = {2, 2, 3, 3, 4, 4, 0, 0, 0, 0};
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(dst->row(1)[x] & 0xFFu, expected[x]) << "x " << x;
    }
    MutableFramePtr half = MediaFrame::Create(2, 1);
    half->OverlayRect(*src, QRect(0, 0, 2, 1));
    EXPECT_EQ(half->row(0)[0] & 0xFFu, 2u) << "2:1 samples the second of each pair";
    EXPECT_EQ(half->row(0)[1] & 0xFFu, 4u);
}

TEST(MediaFrame, AnalyseFindsOpacityAndVisibleRuns) {
    MutableFramePtr f = MediaFrame::Create(100, 3);
    f->row(1)[10] = 0x80800000u;
    f->row(1)[20] = 0x80800000u; // 9 pixels apart: merged into one run
    f->row(1)[60] = 0xFF0000FFu; // far: a run of its own
    f->Analyse();
    EXPECT_FALSE(f->opaque());
    ASSERT_TRUE(f->hasRuns());
    EXPECT_EQ(f->runsEnd(0) - f->runsBegin(0), 0);
    ASSERT_EQ(f->runsEnd(1) - f->runsBegin(1), 2);
    EXPECT_EQ(f->runsBegin(1)[0].begin, 10);
    EXPECT_EQ(f->runsBegin(1)[0].end, 21);
    EXPECT_EQ(f->runsBegin(1)[1].begin, 60);
    EXPECT_EQ(f->runsBegin(1)[1].end, 61);

    MutableFramePtr solid = Filled(8, 2, 0xFF102030u);
    solid->Analyse();
    EXPECT_TRUE(solid->opaque());
}

TEST(FramePool, RecyclesBuffersOfTheSameSizeOnly) {
    FramePool pool(2);
    const std::uint8_t* first = nullptr;
    {
        MutableFramePtr a = pool.Acquire(16, 8);
        a->SetTag(7);
        a->SetOpaque(true);
        first = a->bits();
    }
    MutableFramePtr again = pool.Acquire(16, 8);
    EXPECT_EQ(again->bits(), first);
    EXPECT_EQ(again->tag(), 7) << "the producer's note comes back with its pixels";
    EXPECT_FALSE(again->opaque()) << "alpha knowledge does not survive reuse";
    MutableFramePtr other = pool.Acquire(8, 8);
    EXPECT_NE(other->bits(), first);
}

TEST(FramePool, FramesOutliveThePool) {
    MutableFramePtr survivor;
    {
        FramePool pool;
        survivor = pool.Acquire(4, 4);
    }
    survivor->row(0)[0] = 1; // still owned memory; freed when survivor goes (checked by ASan)
    EXPECT_EQ(survivor->row(0)[0], 1u);
}

// The picture formats the factory must read, with alpha kept where the format has it.
TEST(LoadPicture, ReadsEveryPictureFormatWithAlpha) {
    const MutableFramePtr reference = LoadPicture(testing::AlphaPicture(QStringLiteral("png")));
    ASSERT_TRUE(reference) << "ffmpeg could not make the test picture";
    ASSERT_EQ(reference->size(), QSize(32, 24));
    // Column 16 has alpha 128: red premultiplied to 128.
    EXPECT_EQ(reference->row(5)[16], 0x80800000u);
    EXPECT_EQ(reference->row(5)[0], 0u);
    EXPECT_FALSE(reference->opaque());

    for (const char* ext : {"tga", "tiff", "bmp"}) {
        SCOPED_TRACE(ext);
        const MutableFramePtr f = LoadPicture(testing::AlphaPicture(QLatin1String(ext)));
        ASSERT_TRUE(f);
        ASSERT_EQ(f->size(), reference->size());
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(f->row(7)[x], reference->row(7)[x]) << "column " << x;
        }
    }
    const MutableFramePtr gif = LoadPicture(testing::AlphaPicture(QStringLiteral("gif")));
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->row(3)[0] >> 24, 0u) << "GIF transparency kept";
    EXPECT_EQ(gif->row(3)[31] >> 24, 255u);
    const MutableFramePtr jpeg = LoadPicture(testing::AlphaPicture(QStringLiteral("jpg")));
    ASSERT_TRUE(jpeg);
    EXPECT_TRUE(jpeg->opaque());

    EXPECT_FALSE(LoadPicture(testing::TestMediaDir() + QStringLiteral("/missing.png")));
    EXPECT_FALSE(LoadPicture(testing::RedBlueClip() + QStringLiteral(".nothing")));
}

TEST(VideoFormat, CodesGiveTheRecordAndSizeOperatorsExpect) {
    const AVProps nineteen = AVPropsForCode(19);
    EXPECT_EQ(nineteen.formatCode, 19);
    EXPECT_EQ(nineteen.width, 0) << "codes below 20 keep the code alone";
    EXPECT_EQ(nineteen.framesPerSecond, 0.0);
    for (int code : {20, 250}) {
        const AVProps p = AVPropsForCode(code);
        EXPECT_EQ(p.formatCode, 0);
        EXPECT_EQ(p.width, 1280);
        EXPECT_EQ(p.height, 720);
        EXPECT_EQ(p.aspectX, 16);
        EXPECT_EQ(p.aspectY, 9);
        EXPECT_EQ(p.framesPerSecond, 30.0);
    }
    EXPECT_EQ(AVPropsForCode(-3).formatCode, -3);
    const ResolvedFormat own = ResolveFormat(AVPropsForCode(0));
    EXPECT_EQ(own.width, 0) << "0: each source's own size";
    const ResolvedFormat hd = ResolveFormat(AVPropsForCode(15));
    EXPECT_EQ(QSize(hd.width, hd.height), QSize(1920, 1080));
    EXPECT_EQ(hd.framesPerSecond, 60.0);
    for (std::size_t i = 0; i < kVideoFormats.size(); ++i) {
        EXPECT_EQ(kVideoFormats[i].code, int(i) + 1) << "the table is indexed by code";
    }
}

} // namespace
} // namespace quorvel::media
