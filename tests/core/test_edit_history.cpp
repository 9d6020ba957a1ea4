// Undo and redo of the layout record, and the checks made before a save.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/edit_history.h"
#include "core/layout_checks.h"
#include "support/pip_fixtures.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

TPipSetup Changed(TPipSetup s, int pip, int x) {
    s[static_cast<std::size_t>(pip - 1)].PosX = x;
    return s;
}

} // namespace

TEST(EditHistory, UndoAndRedoWalkTheStepsAndANewChangeDropsTheRedo) {
    const TPipSetup a = InitialPipSetup();
    const TPipSetup b = Changed(a, 1, 10);
    const TPipSetup c = Changed(b, 2, 20);
    EditHistory history;
    history.Reset(a);
    EXPECT_FALSE(history.Record(a)) << "an unchanged record is no step";
    EXPECT_TRUE(history.Record(b));
    EXPECT_TRUE(history.Record(c));
    ASSERT_TRUE(EditHistory::SameBytes(*history.Undo(), b));
    ASSERT_TRUE(EditHistory::SameBytes(*history.Undo(), a));
    EXPECT_FALSE(history.Undo().has_value());
    ASSERT_TRUE(EditHistory::SameBytes(*history.Redo(), b));
    const TPipSetup d = Changed(b, 3, 30);
    EXPECT_TRUE(history.Record(d));
    EXPECT_FALSE(history.CanRedo());
    ASSERT_TRUE(EditHistory::SameBytes(*history.Undo(), b));
}

TEST(EditHistory, AGroupIsOneStepAndTheLimitDropsTheOldest) {
    const TPipSetup a = InitialPipSetup();
    EditHistory history(3);
    history.Reset(a);
    history.BeginGroup();
    history.BeginGroup(); // nested: still one step
    for (int x = 1; x <= 5; ++x) {
        history.Record(Changed(a, 1, x));
    }
    history.EndGroup();
    history.Record(Changed(a, 1, 6));
    history.EndGroup();
    ASSERT_TRUE(EditHistory::SameBytes(*history.Undo(), a));
    EXPECT_FALSE(history.CanUndo());

    history.Reset(a);
    for (int x = 1; x <= 5; ++x) {
        history.Record(Changed(a, 1, x));
    }
    int undone = 0;
    while (history.Undo()) {
        ++undone;
    }
    EXPECT_EQ(undone, 3);
}

TEST(EditHistory, AnySequenceOfUndoAndRedoGivesBackTheExactBytes) {
    // A model of the records the history must give back: states[i] is the record after step i.
    std::mt19937 random(7);
    TPipSetup now = InitialPipSetup();
    EditHistory history;
    history.Reset(now);
    std::vector<TPipSetup> states{now};
    std::size_t at = 0;
    for (int i = 0; i < 2000; ++i) {
        const int action = std::uniform_int_distribution<int>(0, 9)(random);
        if (action < 5) {
            TPipEntry& e = now[std::uniform_int_distribution<std::size_t>(0, 3)(random)];
            e.PosX = std::uniform_int_distribution<int>(-50, 50)(random);
            e.Padding[1] = static_cast<std::uint8_t>(random()); // every byte counts
            e.BackFile[200] = static_cast<std::uint8_t>(random());
            if (history.Record(now)) {
                states.resize(at + 1);
                states.push_back(now);
                ++at;
            }
        } else if (action < 8) {
            if (auto back = history.Undo()) {
                ASSERT_GT(at, 0u);
                --at;
                now = *back;
            }
        } else if (auto forward = history.Redo()) {
            ++at;
            now = *forward;
        }
        ASSERT_LT(at, states.size());
        ASSERT_TRUE(EditHistory::SameBytes(now, states[at])) << "after action " << i;
    }
}

TEST(LayoutChecks, EachKindOfProblemIsListedForVisiblePipsOnly) {
    constexpr VideoSize kHd{1920, 1080};
    struct Case {
        const char* what;
        TPipEntry entry;
        std::vector<LayoutProblemKind> expected;
    };
    TPipEntry cropOutside = ShownPip(0, 0, 480, 270);
    cropOutside.RecLeft = 0;
    cropOutside.RecTop = 0;
    cropOutside.RecRight = 1921;
    cropOutside.RecBottom = 1080;
    TPipEntry cropEmpty = ShownPip(0, 0, 480, 270);
    cropEmpty.RecRight = 100;
    cropEmpty.RecLeft = 100;
    cropEmpty.RecBottom = 50;
    TPipEntry hidden = ShownPip(5000, 0, 0, 0, 99);
    hidden.Visible = 0;
    const Case cases[] = {
        {"a good PIP", ShownPip(10, 10, 480, 270), {}},
        {"a whole crop", ShownPip(0, 0, 480, 270), {}},
        {"touching the edge from inside", ShownPip(1919, 1079, 480, 270), {}},
        {"zero width", ShownPip(0, 0, 0, 270), {LayoutProblemKind::EmptySize}},
        {"negative height", ShownPip(0, 0, 480, -1), {LayoutProblemKind::EmptySize}},
        {"crop past the right edge", cropOutside, {LayoutProblemKind::CropOutside}},
        {"empty crop", cropEmpty, {LayoutProblemKind::CropOutside}},
        {"left of the picture", ShownPip(-480, 0, 480, 270), {LayoutProblemKind::OutsidePicture}},
        {"below the picture", ShownPip(0, 1080, 480, 270), {LayoutProblemKind::OutsidePicture}},
        {"far away, no wrap",
         ShownPip(2147483000, 0, 480, 270),
         {LayoutProblemKind::OutsidePicture}},
        {"input 0", ShownPip(0, 0, 480, 270, 0), {LayoutProblemKind::InputBeyondCount}},
        {"input past the count",
         ShownPip(0, 0, 480, 270, 5),
         {LayoutProblemKind::InputBeyondCount}},
        {"hidden PIPs are not looked at", hidden, {}},
        {"several at once",
         ShownPip(-10, 0, 0, 0, 9),
         {LayoutProblemKind::EmptySize, LayoutProblemKind::InputBeyondCount}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TPipSetup setup = InitialPipSetup();
        setup[2] = c.entry;
        const std::vector<LayoutProblem> problems = CheckLayout(setup, kHd, 4);
        std::vector<LayoutProblemKind> kinds;
        for (const LayoutProblem& p : problems) {
            EXPECT_EQ(p.pip, 3);
            EXPECT_TRUE(p.text.startsWith(QStringLiteral("PIP 3: "))) << p.text.toStdString();
            kinds.push_back(p.kind);
        }
        EXPECT_EQ(kinds, c.expected);
    }
}
