// The preset arrangements, checked against the worked 1920 x 1080 table row by row.

#include <gtest/gtest.h>

#include "core/input_lists.h"
#include "core/presets.h"

using namespace quorvel;

namespace {

struct Row {
    const char16_t* preset;
    int pip;
    int x, y, w, h;
    int l, t, r, b;
    int visible;
    int profile; // as the geometry function writes it
};

// clang-format off
const Row kRows[] = {
    {u"Único", 1, 96, 90, 640, 360, 0, 0, 1920, 1080, 1, 4},
    {u"Único", 2, 1184, 90, 640, 360, 0, 0, 1920, 1080, 0, 4},
    {u"Único", 3, 96, 630, 640, 360, 0, 0, 1920, 1080, 0, 4},
    {u"Único", 4, 1184, 630, 640, 360, 0, 0, 1920, 1080, 0, 4},
    {u"Horizontal 2", 1, 0, 0, 960, 1080, 480, 0, 1440, 1080, 1, 1},
    {u"Horizontal 2", 2, 960, 0, 960, 1080, 480, 0, 1440, 1080, 1, 1},
    {u"Horizontal 2", 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {u"Horizontal 2", 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {u"Horizontal 3", 1, 0, 0, 640, 1080, 640, 0, 1280, 1080, 1, 2},
    {u"Horizontal 3", 2, 640, 0, 640, 1080, 640, 0, 1280, 1080, 1, 2},
    {u"Horizontal 3", 3, 1280, 0, 640, 1080, 640, 0, 1280, 1080, 1, 2},
    {u"Horizontal 3", 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2},
    {u"Horizontal 4", 1, 0, 0, 480, 1080, 720, 0, 1200, 1080, 1, 3},
    {u"Horizontal 4", 2, 480, 0, 480, 1080, 720, 0, 1200, 1080, 1, 3},
    {u"Horizontal 4", 3, 960, 0, 480, 1080, 720, 0, 1200, 1080, 1, 3},
    {u"Horizontal 4", 4, 1440, 0, 480, 1080, 720, 0, 1200, 1080, 1, 3},
    {u"Distribuída 4", 1, 0, 0, 960, 540, 0, 0, 1920, 1080, 1, 4},
    {u"Distribuída 4", 2, 960, 0, 960, 540, 0, 0, 1920, 1080, 1, 4},
    {u"Distribuída 4", 3, 0, 540, 960, 540, 0, 0, 1920, 1080, 1, 4},
    {u"Distribuída 4", 4, 960, 540, 960, 540, 0, 0, 1920, 1080, 1, 4},
    {u"Distribuída 1-2", 1, 0, 0, 960, 1080, 480, 0, 1440, 1080, 1, 5},
    {u"Distribuída 1-2", 2, 960, 0, 960, 540, 0, 0, 1920, 1080, 1, 5},
    {u"Distribuída 1-2", 3, 960, 540, 960, 540, 0, 0, 1920, 1080, 1, 5},
    {u"Distribuída 1-2", 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5},
    {u"Distribuída 2-1", 1, 0, 0, 960, 540, 0, 0, 1920, 1080, 1, 6},
    {u"Distribuída 2-1", 2, 0, 540, 960, 540, 0, 0, 1920, 1080, 1, 6},
    {u"Distribuída 2-1", 3, 960, 0, 960, 1080, 480, 0, 1440, 1080, 1, 6},
    {u"Distribuída 2-1", 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6},
};
// clang-format on

// A record whose every field holds a value no preset writes, so a missed field shows.
TPipSetup Scribbled() {
    TPipSetup setup = InitialPipSetup();
    for (std::size_t i = 0; i < kPipCount; ++i) {
        TPipEntry& e = setup[i];
        e.InputIndex = 7;
        e.PosX = e.PosY = e.Width = e.Height = 12345;
        e.RecTop = e.RecLeft = e.RecBottom = e.RecRight = 54321;
        e.Visible = 9;
        e.ProfileIndex = 99;
        e.Border = 6;
        e.BorderColor = 0x00123456;
        e.PIPType = 11;
        SetShortStringText(e.BackFile, QStringLiteral("back.png"));
        SetShortStringText(e.FrontFile, QStringLiteral("front.png"));
    }
    return setup;
}

} // namespace

TEST(Presets, WorkedExampleAt1080pHoldsRowByRow) {
    for (const Row& row : kRows) {
        const QString name = QString::fromUtf16(row.preset);
        SCOPED_TRACE(name.toStdString() + " PIP " + std::to_string(row.pip));
        const PresetInfo* preset = FindPreset(name);
        ASSERT_NE(preset, nullptr);
        TPipSetup setup = Scribbled();
        ApplyPresetGeometry(preset->layout, {1920, 1080}, setup);
        const TPipEntry& e = setup[row.pip - 1];
        EXPECT_EQ(e.PosX, row.x);
        EXPECT_EQ(e.PosY, row.y);
        EXPECT_EQ(e.Width, row.w);
        EXPECT_EQ(e.Height, row.h);
        EXPECT_EQ(e.RecLeft, row.l);
        EXPECT_EQ(e.RecTop, row.t);
        EXPECT_EQ(e.RecRight, row.r);
        EXPECT_EQ(e.RecBottom, row.b);
        EXPECT_EQ(e.Visible, row.visible);
        EXPECT_EQ(e.ProfileIndex, row.profile);
        // Fields that belong to the operator survive every preset.
        EXPECT_EQ(e.InputIndex, 7);
        EXPECT_EQ(e.Border, 6);
        EXPECT_EQ(e.BorderColor, 0x00123456u);
        EXPECT_EQ(e.PIPType, 11);
        EXPECT_EQ(ShortStringText(e.BackFile), QStringLiteral("back.png"));
        EXPECT_EQ(ShortStringText(e.FrontFile), QStringLiteral("front.png"));
    }
}

TEST(Presets, HorizontalTwoAtAnOddWidthLeavesTwoColumnsUncovered) {
    TPipSetup setup = InitialPipSetup();
    LayoutHorizontal(2, 1366, 768, setup);
    EXPECT_EQ(setup[0].PosX, 0);
    EXPECT_EQ(setup[1].PosX, 683);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(setup[i].Width, 682);
        EXPECT_EQ(setup[i].RecLeft, 342);
        EXPECT_EQ(setup[i].RecRight, 1024);
    }
}

TEST(Presets, SingleAt720pPutsTheHiddenPipsInTheOtherCorners) {
    TPipSetup setup = InitialPipSetup();
    LayoutSingle(1280, 720, setup);
    const int expected[4][2] = {{64, 60}, {790, 60}, {64, 420}, {790, 420}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(setup[i].PosX, expected[i][0]);
        EXPECT_EQ(setup[i].PosY, expected[i][1]);
        EXPECT_EQ(setup[i].Width, 426);
        EXPECT_EQ(setup[i].Height, 240);
        EXPECT_EQ(setup[i].Visible, i == 0 ? 1 : 0);
    }
}

TEST(Presets, UnknownVideoSizeGivesZeroGeometryButUsualVisibility) {
    for (const PresetInfo& preset : PresetCatalogue()) {
        TPipSetup setup = InitialPipSetup();
        ApplyPresetGeometry(preset.layout, {0, 0}, setup);
        for (const TPipEntry& e : setup) {
            EXPECT_EQ(e.PosX, 0);
            EXPECT_EQ(e.Width, 0);
            EXPECT_EQ(e.RecRight, 0);
            EXPECT_EQ(e.RecBottom, 0);
        }
        EXPECT_EQ(setup[0].Visible, 1);
    }
}

TEST(Presets, LayoutButtonTakesInputsFromTheListsAndStoresItsNumber) {
    PipInputLists lists;
    lists.SetQuantPreview(2); // PIPs 3 and 4 have no input of their own: they read 1
    lists.ShowInput(1, 2);
    TPipSetup setup = InitialPipSetup();

    const PresetInfo* single = FindPreset(QStringLiteral("Button7"));
    ASSERT_NE(single, nullptr);
    ApplyLayoutButton(*single, lists.Numbers(), {1920, 1080}, setup);
    EXPECT_EQ(setup[0].ProfileIndex, 7); // the button's number, not the geometry's 4
    EXPECT_EQ(setup[1].ProfileIndex, 4);
    EXPECT_EQ(setup[0].InputIndex, 2);
    EXPECT_EQ(setup[1].InputIndex, 2);
    EXPECT_EQ(setup[2].InputIndex, 1);
    EXPECT_EQ(setup[3].InputIndex, 1);

    const PresetInfo* h3 = FindPreset(QStringLiteral("Horizontal 3"));
    ApplyLayoutButton(*h3, lists.Numbers(), {1920, 1080}, setup);
    EXPECT_EQ(setup[0].ProfileIndex, 2);
    EXPECT_EQ(setup[3].ProfileIndex, 2); // the cleared PIP 4 still carries it
    EXPECT_EQ(setup[3].InputIndex, 1);
}

TEST(Presets, CatalogueMatchesTheButtons) {
    // Button n's number is its tag - 1, which is how a loaded template presses it again.
    for (int n = 1; n <= 7; ++n) {
        const PresetInfo* p = PresetByNumber(n);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(QLatin1String(p->buttonName), QStringLiteral("Button%1").arg(n));
        EXPECT_EQ(FindPreset(QString::fromUtf16(p->caption)), p);
    }
    EXPECT_EQ(PresetByNumber(0), nullptr);
    EXPECT_EQ(PresetByNumber(8), nullptr);
    EXPECT_EQ(FindPreset(QStringLiteral("Horizontal 5")), nullptr);
    EXPECT_EQ(FindPreset(QStringLiteral("Único"))->pickerItem, 0);
    EXPECT_EQ(FindPreset(QStringLiteral("Distribuída 2-1"))->pickerItem, 6);
}

TEST(InputLists, ShowOnlyTheirOwnItems) {
    PipInputLists lists;
    lists.SetQuantPreview(3);
    EXPECT_EQ(lists.Shown(1), 1);
    EXPECT_EQ(lists.Shown(3), 3);
    EXPECT_EQ(lists.Shown(4), 0);
    EXPECT_EQ(lists.Number(4), 1);
    lists.ShowInput(2, 9); // not among the items: the list shows nothing
    EXPECT_EQ(lists.Shown(2), 0);
    EXPECT_EQ(lists.Number(2), 1);
    lists.ShowInput(2, 3);
    EXPECT_EQ(lists.Number(2), 3);
}
