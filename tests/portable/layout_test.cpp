#include "win/layout.h"

#include <gtest/gtest.h>

namespace {

using win::Align;
using win::AlignedItem;
using win::Bounds;

TEST(Alignment, StripsThenFillInTheMainWindowsShape) {
    // Status bar along the bottom, the left panel, the list area filling the rest.
    std::vector<AlignedItem> items{
        {Align::Bottom, {0, 0, 10, 19}},
        {Align::Left, {0, 0, 194, 10}},
        {Align::Client, {0, 0, 1, 1}},
    };
    win::ApplyAlignment({0, 0, 800, 400}, items);
    EXPECT_EQ(items[0].bounds, (Bounds{0, 381, 800, 19}));
    EXPECT_EQ(items[1].bounds, (Bounds{0, 0, 194, 381}));
    EXPECT_EQ(items[2].bounds, (Bounds{194, 0, 606, 381}));
}

TEST(Alignment, InsetAreaTopStripsAndHiddenItems) {
    // Inside a bevel: a caption strip on top, a placed control, a hidden filler.
    std::vector<AlignedItem> items{
        {Align::Client, {5, 5, 50, 50}, false}, {Align::Top, {0, 0, 0, 19}},
        {Align::None, {13, 19, 32, 32}},        {Align::Right, {0, 0, 20, 0}},
        {Align::Client, {0, 0, 0, 0}},
    };
    win::ApplyAlignment({1, 1, 189, 62}, items);
    EXPECT_EQ(items[0].bounds, (Bounds{5, 5, 50, 50})) << "hidden items keep their bounds";
    EXPECT_EQ(items[1].bounds, (Bounds{1, 1, 189, 19}));
    EXPECT_EQ(items[2].bounds, (Bounds{13, 19, 32, 32}));
    EXPECT_EQ(items[3].bounds, (Bounds{170, 20, 20, 43}));
    EXPECT_EQ(items[4].bounds, (Bounds{1, 20, 169, 43}));
}

TEST(Alignment, TooSmallAnAreaGivesEmptyFillersNotNegativeOnes) {
    std::vector<AlignedItem> items{
        {Align::Left, {0, 0, 194, 0}},
        {Align::Client, {0, 0, 498, 232}},
    };
    win::ApplyAlignment({0, 0, 150, 100}, items);
    EXPECT_EQ(items[0].bounds, (Bounds{0, 0, 194, 100}));
    EXPECT_EQ(items[1].bounds.width, 0);
    EXPECT_EQ(items[1].bounds.height, 100);
}

} // namespace

TEST(Scaling, DesignedLengthsRoundAsMulDivAndComeBackExactly) {
    // Halves go away from zero, as MulDiv rounds them: 1.5 -> 2, -7.5 -> -8, 381.25 -> 381.
    EXPECT_EQ(win::ScaleToDpi(1, 144), 2);
    EXPECT_EQ(win::ScaleToDpi(-5, 144), -8);
    EXPECT_EQ(win::ScaleToDpi(305, 120), 381);
    EXPECT_EQ(win::ScaleToDpi(Bounds{13, 19, 32, 32}, 144), (Bounds{20, 29, 48, 48}));
    EXPECT_EQ(win::ScaleFromDpi(1097, 144), 731);
    // A size kept in designed units and read back at any DPI from 96 up is the size kept.
    for (int dpi : {96, 120, 144, 168, 192, 240, 288})
        for (int designed = -2000; designed <= 2000; ++designed)
            ASSERT_EQ(win::ScaleFromDpi(win::ScaleToDpi(designed, dpi), dpi), designed) << dpi;
}
