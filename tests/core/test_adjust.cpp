// Nudge, zoom, crop halves and the border command on one PIP.

#include <gtest/gtest.h>

#include "core/adjust.h"
#include "support/pip_fixtures.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

constexpr VideoSize kHd{1920, 1080};

TPipEntry Pip(int x, int y, int w, int h, int l = 0, int t = 0, int r = 1920, int b = 1080) {
    return WithCrop(ShownPip(x, y, w, h), l, t, r, b);
}

} // namespace

TEST(Adjust, ExternoMovesThePipWithoutBoundAndRedrawsBorders) {
    TPipEntry e = Pip(0, 0, 640, 360);
    EXPECT_TRUE(MoveHorizontal(e, 10, AdjustMode::Externo, kHd).refreshBorders);
    EXPECT_TRUE(MoveVertical(e, -10, AdjustMode::Externo, kHd).refreshBorders);
    EXPECT_EQ(Place(e), (Rect{10, -10, 640, 360}));
    EXPECT_EQ(Crop(e), (Rect{0, 0, 1920, 1080}));
}

TEST(Adjust, InternoMovesTheCropOppositeWaysAndRefusesToLeaveThePicture) {
    TPipEntry full = Pip(0, 0, 640, 360);
    for (int step : {-10, 10}) {
        EXPECT_FALSE(MoveVertical(full, step, AdjustMode::Interno, kHd).changed);
        EXPECT_FALSE(MoveHorizontal(full, step, AdjustMode::Interno, kHd).changed);
    }
    EXPECT_EQ(Crop(full), (Rect{0, 0, 1920, 1080}));

    TPipEntry e = Pip(0, 0, 640, 360, 100, 100, 740, 460);
    const AdjustOutcome down = MoveVertical(e, 10, AdjustMode::Interno, kHd);
    EXPECT_TRUE(down.changed);
    EXPECT_FALSE(down.refreshBorders); // the crop reaches the preview with its next frame
    EXPECT_EQ(Crop(e), (Rect{100, 110, 740, 470}));
    MoveHorizontal(e, 10, AdjustMode::Interno, kHd); // ">" moves the crop window left
    EXPECT_EQ(Crop(e), (Rect{90, 110, 730, 470}));
    EXPECT_EQ(Place(e), (Rect{0, 0, 640, 360}));
}

TEST(Adjust, UnsetCropIsTheWholePictureBeforeInternoWork) {
    TPipEntry e = Pip(0, 0, 640, 360, 0, 0, 0, kUnsetMarker);
    MoveVertical(e, 10, AdjustMode::Interno, kHd); // refused, but on real edges
    EXPECT_EQ(Crop(e), (Rect{0, 0, 1920, 1080}));

    TPipEntry z = Pip(0, 0, 640, 360, 0, 0, 0, kUnsetMarker);
    ZoomSelectedPIP(z, +1, 10, AdjustMode::Interno, kHd);
    EXPECT_EQ(Crop(z), (Rect{18, 10, 1902, 1070}));

    TPipEntry c = Pip(0, 0, 640, 360, 0, 0, 0, kUnsetMarker);
    CropHalf(c, 3, kHd);
    EXPECT_EQ(Crop(c), (Rect{0, 0, 1920, 540}));
}

TEST(Adjust, EnsureCropFillsOnlyAnEmptyOrUnsetCrop) {
    TPipEntry zero = Pip(0, 0, 640, 360, 0, 0, 0, 0);
    EXPECT_TRUE(EnsureCrop(zero, kHd));
    EXPECT_EQ(Crop(zero), (Rect{0, 0, 1920, 1080}));
    TPipEntry set = Pip(0, 0, 640, 360, 0, 0, 960, 540);
    EXPECT_FALSE(EnsureCrop(set, kHd));
    EXPECT_EQ(Crop(set), (Rect{0, 0, 960, 540}));
}

TEST(Adjust, ZoomTable) {
    struct Case {
        const char* what;
        TPipEntry before;
        int direction, factor;
        AdjustMode mode;
        Rect place, crop;
    };
    const Case cases[] = {
        {"interno in shrinks the crop by the PIP's proportions (sx 17.78 -> 18)",
         Pip(96, 90, 640, 360),
         +1,
         10,
         AdjustMode::Interno,
         {96, 90, 640, 360},
         {18, 10, 1902, 1070}},
        {"interno out on a full crop stays full",
         Pip(96, 90, 640, 360),
         -1,
         10,
         AdjustMode::Interno,
         {96, 90, 640, 360},
         {0, 0, 1920, 1080}},
        {"interno out near the top shifts the window down and keeps it inside",
         Pip(0, 0, 640, 360, 0, 0, 1920, 1070),
         -1,
         10,
         AdjustMode::Interno,
         {0, 0, 640, 360},
         {0, 0, 1920, 1080}},
        {"interno in is refused when the crop would get too small",
         Pip(0, 0, 640, 360, 0, 0, 60, 50),
         +1,
         5,
         AdjustMode::Interno,
         {0, 0, 640, 360},
         {0, 0, 60, 50}},
        {"externo in grows about the centre",
         Pip(96, 90, 640, 360),
         +1,
         10,
         AdjustMode::Externo,
         {87, 85, 658, 370},
         {0, 0, 1920, 1080}},
        {"externo out undoes it",
         Pip(87, 85, 658, 370),
         -1,
         10,
         AdjustMode::Externo,
         {96, 90, 640, 360},
         {0, 0, 1920, 1080}},
        {"step 1 on a 1x2 PIP rounds 0.5 to the even 0",
         Pip(0, 0, 1, 2),
         +1,
         1,
         AdjustMode::Externo,
         {0, 0, 1, 3},
         {0, 0, 1920, 1080}},
        {"step 1 on 16:9 rounds 1.78 to 2",
         Pip(10, 10, 160, 90),
         +1,
         1,
         AdjustMode::Externo,
         {9, 10, 162, 91},
         {0, 0, 1920, 1080}},
        {"a zero-size PIP does not zoom",
         Pip(5, 5, 0, 90),
         +1,
         10,
         AdjustMode::Externo,
         {5, 5, 0, 90},
         {0, 0, 1920, 1080}},
        {"externo out never makes the size negative",
         Pip(5, 5, 16, 8),
         -1,
         10,
         AdjustMode::Externo,
         {5, 5, 16, 8},
         {0, 0, 1920, 1080}},
    };
    for (const Case& c : cases) {
        TPipEntry e = c.before;
        ZoomSelectedPIP(e, c.direction, c.factor, c.mode, kHd);
        EXPECT_EQ(Place(e), c.place) << c.what;
        EXPECT_EQ(Crop(e), c.crop) << c.what;
    }
}

TEST(Adjust, CropHalvesKeepTheScale) {
    TPipEntry e = Pip(96, 90, 640, 360);
    EXPECT_TRUE(CropHalf(e, 1, kHd));
    EXPECT_EQ(Crop(e), (Rect{960, 0, 1920, 1080}));
    EXPECT_EQ(Place(e), (Rect{96, 90, 320, 360}));
    CropHalf(e, 4, kHd);
    EXPECT_EQ(Crop(e), (Rect{960, 540, 1920, 1080}));
    EXPECT_EQ(Place(e), (Rect{96, 90, 320, 180}));

    TPipEntry left = Pip(0, 0, 640, 360);
    CropHalf(left, 2, kHd);
    EXPECT_EQ(Crop(left), (Rect{0, 0, 960, 1080}));
    TPipEntry other = Pip(0, 0, 640, 360, 0, 0, 0, 0);
    EXPECT_TRUE(CropHalf(other, 9, kHd)); // unknown kind: only the empty crop is filled
    EXPECT_EQ(Crop(other), (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(Place(other), (Rect{0, 0, 640, 360}));
}

TEST(Adjust, BorderCommandTouchesOnlyBorders) {
    TPipSetup setup = InitialPipSetup();
    setup[2].PosX = 44;
    ApplyBorderToAll(setup, 6, 0x0000FF);
    for (const TPipEntry& e : setup) {
        EXPECT_EQ(e.Border, 6);
        EXPECT_EQ(e.BorderColor, 0x0000FFu);
        EXPECT_EQ(e.RecBottom, kUnsetMarker);
    }
    EXPECT_EQ(setup[2].PosX, 44);
}

TEST(Adjust, OperationsByName) {
    EXPECT_EQ(AdjustOpFromName(QStringLiteral("zoom-in")), AdjustOp::ZoomIn);
    EXPECT_EQ(AdjustOpFromName(QStringLiteral("border-to-all")), AdjustOp::BorderToAll);
    EXPECT_FALSE(AdjustOpFromName(QStringLiteral("Up")).has_value());

    TPipSetup setup = InitialPipSetup();
    setup[1] = Pip(100, 100, 640, 360);
    ApplyAdjustOp(AdjustOp::Left, setup, 2, 10, AdjustMode::Externo, kHd);
    ApplyAdjustOp(AdjustOp::Up, setup, 2, 10, AdjustMode::Externo, kHd);
    EXPECT_EQ(Place(setup[1]), (Rect{90, 90, 640, 360}));
}
