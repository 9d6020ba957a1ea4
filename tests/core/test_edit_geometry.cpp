// Editing PIPs with the mouse: hit testing, handles, moves and resizes with snapping, cropping.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <ostream>
#include <span>
#include <vector>

#include "core/edit_geometry.h"
#include "support/pip_fixtures.h"

using namespace quorvel;
using namespace quorvel::test;

namespace quorvel {
// Guides read as "x=1000" in failure messages.
void PrintTo(const SnapGuide& g, std::ostream* os) {
    *os << (g.vertical ? "x=" : "y=") << g.position;
}
} // namespace quorvel

namespace {

constexpr VideoSize kHd{1920, 1080};

TPipEntry Pip(int x, int y, int w, int h, bool visible = true) {
    TPipEntry e = ShownPip(x, y, w, h, 0);
    e.Visible = visible ? 1 : 0;
    return e;
}

TPipEntry Cropped(TPipEntry e, int l, int t, int r, int b) {
    return WithCrop(e, l, t, r, b);
}

using Guides = std::vector<SnapGuide>;
Guides Sorted(Guides g) {
    std::sort(g.begin(), g.end(), [](const SnapGuide& a, const SnapGuide& b) {
        return a.vertical != b.vertical ? a.vertical : a.position < b.position;
    });
    return g;
}
SnapGuide X(int x) {
    return {true, x};
}
SnapGuide Y(int y) {
    return {false, y};
}

// The scene the drags run in. PIP 1 is dragged. Its x lines: 0, 960, 1920, the safe areas' 67,
// 96, 1824, 1853, PIP 2's 1000 and 1500; its y lines: 0, 540, 1080, 38, 54, 1026, 1042, PIP 2's
// 600 and 900. PIP 3 is hidden and must never attract anything.
TPipSetup Scene(TPipEntry dragged = Pip(200, 200, 400, 300)) {
    return {dragged, Pip(1000, 600, 500, 300), Pip(800, 650, 150, 150, false),
            Pip(0, 0, 0, 0, false)};
}

constexpr SnapOptions kSnap{true, 8.0, 0};
constexpr SnapOptions kNoSnap{false, 8.0, 0};

struct DragCase {
    const char* what;
    EditHandle handle;
    QPointF delta;
    Rect place;
    Guides guides;
    SnapOptions snap = kSnap;
};

void RunDrags(const TPipEntry& start, DragModifiers modifiers, std::span<const DragCase> cases) {
    for (const DragCase& c : cases) {
        SCOPED_TRACE(c.what);
        Guides guides;
        const TPipEntry after =
            DragPip(Scene(start), 1, c.handle, c.delta, modifiers, kHd, c.snap, &guides);
        EXPECT_EQ(Place(after), c.place);
        EXPECT_EQ(Sorted(guides), Sorted(c.guides));
        if (!modifiers.crop) {
            EXPECT_EQ(Crop(after), Crop(start)) << "only a crop drag may touch the crop";
        }
    }
}

// Where input column x (or row) appears on screen along one axis.
double ScreenX(const TPipEntry& e, double inputX) {
    return e.PosX + (inputX - e.RecLeft) * e.Width / (e.RecRight - e.RecLeft);
}
double ScreenY(const TPipEntry& e, double inputY) {
    return e.PosY + (inputY - e.RecTop) * e.Height / (e.RecBottom - e.RecTop);
}

} // namespace

TEST(EditGeometry, SafeAreasAreCentredAndWhole) {
    EXPECT_EQ(SafeArea(kHd, kTitleSafeFraction), QRect(96, 54, 1728, 972));
    EXPECT_EQ(SafeArea(kHd, kActionSafeFraction), QRect(67, 38, 1786, 1004));
    // 576 * 0.05 = 28.8: both margins round alike, so the area stays centred.
    EXPECT_EQ(SafeArea({720, 576}, kTitleSafeFraction), QRect(36, 29, 648, 518));
    EXPECT_EQ(SafeArea({0, 0}, kTitleSafeFraction), QRect(0, 0, 0, 0));
}

TEST(EditGeometry, PipAtFindsTheTopmostVisiblePipThatShows) {
    const TPipSetup setup{Pip(0, 0, 1920, 0),             // visible but of no height
                          Pip(100, 100, 400, 300),        // 100..500 x 100..400
                          Pip(300, 200, 400, 300, false), // hidden, over PIP 2
                          Pip(450, 350, 200, 200)};       // over PIP 2
    const struct {
        QPointF point;
        int pip;
    } cases[] = {
        {{50, 50}, 0},       {{100, 100}, 2}, {{350, 250}, 2},  {{460, 360}, 4},
        {{499.5, 399.5}, 4}, {{500, 150}, 0}, {{99.9, 150}, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PipAt(setup, c.point), c.pip) << c.point.x() << "," << c.point.y();
    }
    EXPECT_EQ(PipRect(setup[1]), QRect(100, 100, 400, 300));
}

TEST(EditGeometry, HandleAtPrefersCornersThenEdgesThenBody) {
    const TPipEntry wide = Pip(100, 100, 200, 100);
    const TPipEntry thin = Pip(100, 100, 10, 100);
    const struct {
        const TPipEntry& pip;
        QPointF point;
        EditHandle handle;
    } cases[] = {
        {wide, {100, 100}, EditHandle::TopLeft},
        {wide, {303, 97}, EditHandle::TopRight},
        {wide, {100, 200}, EditHandle::BottomLeft},
        {wide, {306, 206}, EditHandle::BottomRight}, // just outside still takes the corner
        {wide, {200, 100}, EditHandle::Top},
        {wide, {200, 204}, EditHandle::Bottom},
        {wide, {95, 150}, EditHandle::Left},
        {wide, {300, 150}, EditHandle::Right},
        {wide, {150, 103}, EditHandle::Body}, // near the edge but away from its handle
        {wide, {93, 150}, EditHandle::None},
        {wide, {150, 250}, EditHandle::None},
        // On a thin PIP the top handle is nearer, yet the corner wins; between two corners the
        // nearer one does.
        {thin, {104, 100}, EditHandle::TopLeft},
        {thin, {107, 100}, EditHandle::TopRight},
        {thin, {105, 150}, EditHandle::Left},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HandleAt(c.pip, c.point, 6.0), c.handle) << c.point.x() << "," << c.point.y();
    }
}

TEST(EditGeometry, MoveSnapsTheNearestEdgeOrCentreWithinReach) {
    const SnapOptions grid{true, 4.0, 64};
    const DragCase cases[] = {
        {"no line near: moves by the delta, not back onto its own start",
         EditHandle::Body,
         {3.4, 2.6},
         {203, 203, 400, 300},
         {}},
        {"left edge 5 from the picture's edge",
         EditHandle::Body,
         {-195, 0},
         {0, 200, 400, 300},
         {X(0)}},
        {"left edge exactly the distance away",
         EditHandle::Body,
         {-192, 0},
         {0, 200, 400, 300},
         {X(0)}},
        {"one pixel beyond the distance", EditHandle::Body, {-191, 0}, {9, 200, 400, 300}, {}},
        {"right edge to another PIP's left",
         EditHandle::Body,
         {395, 0},
         {600, 200, 400, 300},
         {X(1000)}},
        {"a hidden PIP's edge attracts nothing",
         EditHandle::Body,
         {197, 0},
         {397, 200, 400, 300},
         {}},
        {"centre to the picture's centre",
         EditHandle::Body,
         {557, 0},
         {760, 200, 400, 300},
         {X(960)}},
        {"bottom edge to another PIP's top",
         EditHandle::Body,
         {0, 96},
         {200, 300, 400, 300},
         {Y(600)}},
        {"both axes snap", EditHandle::Body, {-195, -195}, {0, 0, 400, 300}, {X(0), Y(0)}},
        {"Ctrl: no snapping", EditHandle::Body, {-195, -195}, {5, 5, 400, 300}, {}, kNoSnap},
        {"nearest grid line", EditHandle::Body, {55, 0}, {256, 200, 400, 300}, {X(256)}, grid},
        {"action safe (3 away) beats title safe (26 away)",
         EditHandle::Body,
         {-130, 0},
         {67, 200, 400, 300},
         {X(67)}},
    };
    RunDrags(Pip(200, 200, 400, 300), {}, cases);
}

TEST(EditGeometry, MoveShowsEveryLineTheSnappedPipThenLiesOn) {
    // A PIP as wide as PIP 2 that snaps its left edge to PIP 2's shows its right edge aligned too.
    const DragCase cases[] = {
        {"same width, left edges aligned",
         EditHandle::Body,
         {797, 0},
         {1000, 200, 500, 300},
         {X(1000), X(1500)}},
    };
    RunDrags(Pip(200, 200, 500, 300), {}, cases);
}

TEST(EditGeometry, ResizeMovesOnlyTheDraggedEdgesAndKeepsTheMinimum) {
    const SnapOptions grid{true, 8.0, 10};
    const DragCase cases[] = {
        {"right edge out", EditHandle::Right, {50, 33}, {200, 200, 450, 300}, {}},
        {"left edge out", EditHandle::Left, {-50, 0}, {150, 200, 450, 300}, {}},
        {"bottom-right corner", EditHandle::BottomRight, {50, 20}, {200, 200, 450, 320}, {}},
        {"right edge snaps to another PIP",
         EditHandle::Right,
         {397, 0},
         {200, 200, 800, 300},
         {X(1000)}},
        {"left edge snaps to the action-safe line",
         EditHandle::Left,
         {-130, 0},
         {67, 200, 533, 300},
         {X(67)}},
        {"Ctrl: the top edge does not snap",
         EditHandle::Top,
         {0, -195},
         {200, 5, 400, 495},
         {},
         kNoSnap},
        {"right edge dragged past the left stops at the minimum",
         EditHandle::Right,
         {-1000, 0},
         {200, 200, kMinEditSize, 300},
         {}},
        {"top-left corner past the opposite corner; the snap to y=600 gives way to the minimum",
         EditHandle::TopLeft,
         {500, 400},
         {592, 492, kMinEditSize, kMinEditSize},
         {}},
        {"a grid line closer than the minimum gives way too",
         EditHandle::Right,
         {-396, 0},
         {200, 200, kMinEditSize, 300},
         {},
         grid},
    };
    RunDrags(Pip(200, 200, 400, 300), {}, cases);
}

TEST(EditGeometry, ShiftKeepsTheProportions) {
    // 400 x 300 is 4:3; bottom-right corner at 600, 500.
    const DragCase cases[] = {
        {"corner, width changed more: height follows",
         EditHandle::BottomRight,
         {100, 10},
         {200, 200, 500, 375},
         {}},
        {"corner, height changed more: width follows, anchored bottom-right",
         EditHandle::TopLeft,
         {-10, -30},
         {160, 170, 440, 330},
         {}},
        {"only the leading top edge snaps (to y=38); the left edge is derived",
         EditHandle::TopLeft,
         {-10, -155},
         {-16, 38, 616, 462},
         {Y(38)}},
        {"right edge: the height grows about the vertical centre",
         EditHandle::Right,
         {100, 0},
         {200, 162, 500, 375},
         {}},
        {"bottom edge: the width grows about the horizontal centre",
         EditHandle::Bottom,
         {0, 60},
         {160, 200, 480, 360},
         {}},
        {"shrunk past the minimum: the smaller side stops at it",
         EditHandle::TopLeft,
         {1000, 1000},
         {589, 492, 11, kMinEditSize},
         {}},
    };
    RunDrags(Pip(200, 200, 400, 300), {.keepAspect = true}, cases);
}

TEST(EditGeometry, AltCropsAndThePictureStaysWhereItIs) {
    // Two input pixels per output pixel both ways.
    const TPipEntry start = Cropped(Pip(200, 200, 400, 300), 200, 100, 1000, 700);
    const struct {
        const char* what;
        EditHandle handle;
        QPointF delta;
        bool shift;
        Rect place, crop;
        Guides guides;
    } cases[] = {
        {"left edge in",
         EditHandle::Left,
         {50, 0},
         false,
         {250, 200, 350, 300},
         {300, 100, 1000, 700},
         {}},
        {"bottom-right corner in",
         EditHandle::BottomRight,
         {-40, -30},
         false,
         {200, 200, 360, 270},
         {200, 100, 920, 640},
         {}},
        {"Shift is ignored while cropping",
         EditHandle::BottomRight,
         {-40, 0},
         true,
         {200, 200, 360, 300},
         {200, 100, 920, 700},
         {}},
        {"left edge out stops where the input picture ends",
         EditHandle::Left,
         {-150, 0},
         false,
         {100, 200, 500, 300},
         {0, 100, 1000, 700},
         {}},
        {"top edge snaps to y=54 but the input's edge stops it, so no guide",
         EditHandle::Top,
         {0, -150},
         false,
         {200, 150, 400, 350},
         {200, 0, 1000, 700},
         {}},
        {"right edge snaps to another PIP",
         EditHandle::Right,
         {397, 0},
         false,
         {200, 200, 800, 300},
         {200, 100, 1800, 700},
         {X(1000)}},
        {"left edge past the right stops at the minimum",
         EditHandle::Left,
         {1000, 0},
         false,
         {592, 200, kMinEditSize, 300},
         {984, 100, 1000, 700},
         {}},
        {"a move leaves the crop alone",
         EditHandle::Body,
         {10, 10},
         false,
         {210, 210, 400, 300},
         {200, 100, 1000, 700},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Guides guides;
        const TPipEntry after = DragPip(Scene(start), 1, c.handle, c.delta,
                                        {.keepAspect = c.shift, .crop = true}, kHd, kSnap, &guides);
        EXPECT_EQ(Place(after), c.place);
        EXPECT_EQ(Crop(after), c.crop);
        EXPECT_EQ(Sorted(guides), Sorted(c.guides));
        if (c.handle == EditHandle::Body) {
            continue;
        }
        // The input columns and rows at the new crop's edges appear where they did before.
        for (double inputX : {double(after.RecLeft), double(after.RecRight)}) {
            EXPECT_NEAR(ScreenX(after, inputX), ScreenX(start, inputX), 0.5) << inputX;
        }
        for (double inputY : {double(after.RecTop), double(after.RecBottom)}) {
            EXPECT_NEAR(ScreenY(after, inputY), ScreenY(start, inputY), 0.5) << inputY;
        }
    }
}

TEST(EditGeometry, AltOnAnUnsetOrEmptyCropStartsFromTheWholePicture) {
    for (const TPipEntry& start :
         {Pip(200, 200, 480, 270), Cropped(Pip(200, 200, 480, 270), 0, 0, 0, 0)}) {
        const DragModifiers alt{.crop = true};
        // Four input pixels per output pixel: 80 output pixels cut 320 input columns.
        const TPipEntry in =
            DragPip(Scene(start), 1, EditHandle::Right, {-80, 0}, alt, kHd, kNoSnap);
        EXPECT_EQ(Place(in), (Rect{200, 200, 400, 270}));
        EXPECT_EQ(Crop(in), (Rect{0, 0, 1600, 1080}));
        // The whole picture is shown already: there is nothing to give back.
        const TPipEntry out =
            DragPip(Scene(start), 1, EditHandle::Right, {50, 0}, alt, kHd, kNoSnap);
        EXPECT_EQ(Place(out), (Rect{200, 200, 480, 270}));
        EXPECT_EQ(Crop(out), (Rect{0, 0, 1920, 1080}));
    }
}

TEST(EditGeometry, DragsChangeNothingButTheGeometry) {
    TPipEntry start = Cropped(Pip(200, 200, 400, 300), 10, 20, 1900, 1060);
    start.InputIndex = 3;
    start.Padding[1] = 0x5a;
    start.ProfileIndex = 7;
    start.Border = 4;
    start.BorderColor = 0x80000012;
    start.PIPType = 2;
    start.BackFile.fill(0xa5);
    start.FrontFile.fill(0x3c);
    const struct {
        EditHandle handle;
        DragModifiers modifiers;
    } drags[] = {
        {EditHandle::Body, {}},
        {EditHandle::Right, {}},
        {EditHandle::TopLeft, {.keepAspect = true}},
        {EditHandle::BottomLeft, {.crop = true}},
        {EditHandle::None, {.crop = true}},
    };
    for (const auto& d : drags) {
        TPipEntry after = DragPip(Scene(start), 1, d.handle, {-37, 41}, d.modifiers, kHd, kSnap);
        after.PosX = start.PosX;
        after.PosY = start.PosY;
        after.Width = start.Width;
        after.Height = start.Height;
        after.RecLeft = start.RecLeft;
        after.RecTop = start.RecTop;
        after.RecRight = start.RecRight;
        after.RecBottom = start.RecBottom;
        std::array<std::uint8_t, kPipEntrySize> want{}, got{};
        EntryToBytes(start, want);
        EntryToBytes(after, got);
        EXPECT_EQ(got, want) << static_cast<int>(d.handle);
    }
    // No handle, no change at all, not even to an unset crop.
    const TPipEntry unset = Pip(1, 2, 3, 4);
    const TPipEntry none =
        DragPip(Scene(unset), 1, EditHandle::None, {50, 50}, {.crop = true}, kHd, kSnap);
    EXPECT_EQ(Crop(none), Crop(unset));
    EXPECT_EQ(Place(none), Place(unset));
}

TEST(EditGeometry, BadInputIsContained) {
    const TPipSetup setup = Scene(Cropped(Pip(200, 200, 400, 300), 200, 100, 1000, 700));
    // A PIP number out of range gets an empty entry rather than another PIP's.
    for (int pip : {0, 5, -1}) {
        EXPECT_EQ(Place(DragPip(setup, pip, EditHandle::Body, {1, 1}, {}, kHd, kSnap)),
                  (Rect{0, 0, 0, 0}));
    }

    constexpr double kHuge = std::numeric_limits<double>::max();
    const QPointF deltas[] = {{kHuge, -kHuge},
                              {std::numeric_limits<double>::quiet_NaN(), 10},
                              {std::numeric_limits<double>::infinity(), 1e12}};
    for (const QPointF& delta : deltas) {
        for (EditHandle handle : {EditHandle::Body, EditHandle::TopLeft, EditHandle::BottomRight}) {
            for (DragModifiers m : {DragModifiers{}, DragModifiers{.keepAspect = true},
                                    DragModifiers{.crop = true}}) {
                const TPipEntry e = DragPip(setup, 1, handle, delta, m, kHd, {true, 1e9, 7});
                EXPECT_GE(e.Width, kMinEditSize);
                EXPECT_GE(e.Height, kMinEditSize);
                EXPECT_GE(e.RecLeft, 0);
                EXPECT_LE(e.RecRight, kHd.width);
                EXPECT_LT(e.RecLeft, e.RecRight);
                EXPECT_LT(e.RecTop, e.RecBottom);
            }
        }
    }

    // A PIP of no size grows back from its handles; its crop scale uses the minimum size, not 0.
    const TPipSetup empty = Scene(Cropped(Pip(200, 200, 0, 0), 200, 100, 1000, 700));
    const TPipEntry grown = DragPip(empty, 1, EditHandle::BottomRight, {40, 30}, {}, kHd, kNoSnap);
    EXPECT_EQ(Place(grown), (Rect{200, 200, 40, 30}));
    const TPipEntry cropped =
        DragPip(empty, 1, EditHandle::BottomRight, {40, 30}, {.crop = true}, kHd, kNoSnap);
    EXPECT_GE(cropped.Width, kMinEditSize);
    EXPECT_LE(cropped.RecRight, kHd.width);
    EXPECT_LE(cropped.RecBottom, kHd.height);
}
