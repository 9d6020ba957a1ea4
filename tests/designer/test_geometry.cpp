// The window's placement from saved settings and the preview's letterbox arithmetic.

#include <gtest/gtest.h>

#include "designer/geometry.h"

namespace quorvel {
namespace {

const QList<QRect> kOneScreen = {QRect(0, 0, 1920, 1040)};
const QList<QRect> kTwoScreens = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1024)};

struct PlacementCase {
    const char* what;
    SavedGeometry saved;
    QList<QRect> screens;
    WindowPlacement expected;
};

class PlaceWindowTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PlaceWindowTest, Places) {
    const PlacementCase& c = GetParam();
    EXPECT_EQ(PlaceWindow(c.saved, c.screens), c.expected) << c.what;
}

constexpr int U = kUnsetMarker;

INSTANTIATE_TEST_SUITE_P(
    SavedGeometries, PlaceWindowTest,
    ::testing::Values(PlacementCase{"first run: centred at the design size",
                                    {U, U, U, U},
                                    kOneScreen,
                                    {true, {}, {1092, 628}}},
                      PlacementCase{"saved place and size come back",
                                    {100, 50, 1200, 700},
                                    kOneScreen,
                                    {false, {100, 50}, {1200, 700}}},
                      PlacementCase{"a width below the minimum opens 885 wide",
                                    {100, 50, 500, 700},
                                    kOneScreen,
                                    {false, {100, 50}, {885, 700}}},
                      PlacementCase{"a negative size falls back to the design size",
                                    {100, 50, -20, -5},
                                    kOneScreen,
                                    {false, {100, 50}, {1092, 628}}},
                      PlacementCase{"only one dimension saved keeps the other as designed",
                                    {100, 50, 1000, U},
                                    kOneScreen,
                                    {false, {100, 50}, {1000, 628}}},
                      PlacementCase{"only one coordinate saved is centred",
                                    {100, U, 1000, 700},
                                    kOneScreen,
                                    {true, {}, {1000, 700}}},
                      PlacementCase{"right of every screen is centred",
                                    {5000, 50, 1000, 700},
                                    kOneScreen,
                                    {true, {}, {1000, 700}}},
                      PlacementCase{"title bar above the screen is centred",
                                    {100, -400, 1000, 700},
                                    kOneScreen,
                                    {true, {}, {1000, 700}}},
                      PlacementCase{"a minimised window's place (-32000) is centred",
                                    {-32000, -32000, 160, 28},
                                    kOneScreen,
                                    {true, {}, {885, 28}}},
                      PlacementCase{"hanging mostly off the left edge, reachable, stays",
                                    {-800, 10, 1000, 700},
                                    kOneScreen,
                                    {false, {-800, 10}, {1000, 700}}},
                      PlacementCase{"only a sliver on screen is centred",
                                    {1880, 10, 1000, 700},
                                    kOneScreen,
                                    {true, {}, {1000, 700}}},
                      PlacementCase{"on the second screen it stays there",
                                    {2100, 100, 1000, 700},
                                    kTwoScreens,
                                    {false, {2100, 100}, {1000, 700}}},
                      PlacementCase{"the second screen unplugged: centred",
                                    {2100, 100, 1000, 700},
                                    kOneScreen,
                                    {true, {}, {1000, 700}}}));

struct MarginCase {
    QSize central;
    VideoSize video;
    PreviewMargins expected;
};

class MarginTest : public ::testing::TestWithParam<MarginCase> {};

TEST_P(MarginTest, Computes) {
    const MarginCase& c = GetParam();
    const auto margins = ComputePreviewMargins(c.central, 3, c.video);
    ASSERT_TRUE(margins.has_value());
    EXPECT_EQ(*margins, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Letterbox, MarginTest,
    ::testing::Values(
        // 512 - 909*720/1280 = 0.69 -> 1 -> 0; 915 - 506*1280/720 = 15.44 -> 15 -> 7.
        MarginCase{{915, 512}, {1280, 720}, {0, 7}},
        // 700 - 511.31 = 188.69 -> 189 -> 94 above and below; then the panel is 506 high.
        MarginCase{{915, 700}, {1920, 1080}, {94, 7}},
        // A 4:3 video in a wide area: pillarbox only.
        MarginCase{{1000, 500}, {640, 480}, {0, 170}},
        // 27 - 101/4 = 1.75 rounds to 2 before halving (truncating would give 0); then the
        // panel is 19 high: 107 - 76 = 31 -> 15.
        MarginCase{{107, 27}, {4, 1}, {1, 15}},
        // A tiny area: 10 - 4*1080/1920 = 7.75 -> 4; the panel's height is then below 0 and
        // counts as 0, so the sides take half the width. Nothing negative.
        MarginCase{{10, 10}, {1920, 1080}, {4, 5}}));

TEST(PreviewMargins, UnknownVideoSizeChangesNothing) {
    EXPECT_FALSE(ComputePreviewMargins({915, 512}, 3, {0, 0}).has_value());
    // A size with one dimension 0 would divide by zero; it is treated as unknown.
    EXPECT_FALSE(ComputePreviewMargins({915, 512}, 3, {1920, 0}).has_value());
    EXPECT_FALSE(ComputePreviewMargins({915, 512}, 3, {0, 1080}).has_value());
}

} // namespace
} // namespace quorvel
