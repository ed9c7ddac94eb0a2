#include "filelist/header_geometry.h"

#include <gtest/gtest.h>

using filelist::HeaderPoint;
using filelist::HeaderRect;
using filelist::LayoutHeaderItem;
using filelist::SortArrowPoints;

TEST(HeaderGeometry, TextAndTriangleOfAnItem) {
    auto layout = LayoutHeaderItem({0, 0, 300, 18}, false);
    EXPECT_EQ(layout.text, (HeaderRect{6, 2, 286, 17}));
    EXPECT_EQ(layout.triangle, (HeaderRect{286, 4, 294, 13}));

    // An item that does not start at the origin keeps the same offsets.
    layout = LayoutHeaderItem({100, 3, 250, 23}, false);
    EXPECT_EQ(layout.text, (HeaderRect{106, 5, 236, 22}));
    EXPECT_EQ(layout.triangle, (HeaderRect{236, 7, 244, 18}));
}

TEST(HeaderGeometry, PressedShiftsEverythingOnePixel) {
    auto layout = LayoutHeaderItem({0, 0, 300, 18}, true);
    EXPECT_EQ(layout.text, (HeaderRect{7, 3, 287, 18}));
    EXPECT_EQ(layout.triangle, (HeaderRect{287, 5, 295, 14}));
}

TEST(HeaderGeometry, EveryOffsetScalesWithTheDpi) {
    // At 150 %: 6 -> 9, 2 -> 3, 1 -> 2, 14 -> 21, 4 -> 6, 5 -> 8 (halves away from zero).
    auto layout = LayoutHeaderItem({0, 0, 450, 27}, false, 144);
    EXPECT_EQ(layout.text, (HeaderRect{9, 3, 429, 25}));
    EXPECT_EQ(layout.triangle, (HeaderRect{429, 6, 441, 19}));
    layout = LayoutHeaderItem({0, 0, 450, 27}, true, 144);
    EXPECT_EQ(layout.triangle, (HeaderRect{431, 8, 443, 21}));
}

TEST(HeaderGeometry, NarrowItemKeepsTriangleAtRightEdge) {
    // Too narrow for any caption: the text rectangle turns inside out, the triangle stays put.
    auto layout = LayoutHeaderItem({0, 0, 10, 18}, false);
    EXPECT_EQ(layout.triangle, (HeaderRect{-4, 4, 4, 13}));
    EXPECT_EQ(layout.text.right, -4);
}

TEST(HeaderGeometry, TrianglePointsUpAndDown) {
    const HeaderRect t{286, 4, 294, 13};
    auto up = SortArrowPoints(t, true);
    EXPECT_EQ(up[0], (HeaderPoint{290, 4}));
    EXPECT_EQ(up[1], (HeaderPoint{294, 13}));
    EXPECT_EQ(up[2], (HeaderPoint{286, 13}));
    auto down = SortArrowPoints(t, false);
    EXPECT_EQ(down[0], (HeaderPoint{294, 4}));
    EXPECT_EQ(down[1], (HeaderPoint{290, 13}));
    EXPECT_EQ(down[2], (HeaderPoint{286, 4}));
}

TEST(HeaderGeometry, MiddleTruncatesTowardZero) {
    // Odd widths and negative coordinates: the middle is left + width / 2, rounded toward zero.
    EXPECT_EQ(SortArrowPoints({0, 0, 7, 9}, true)[0].x, 3);
    EXPECT_EQ(SortArrowPoints({-9, 0, -2, 9}, true)[0].x, -6);
    EXPECT_EQ(SortArrowPoints({5, 0, -2, 9}, true)[0].x, 2);
}

// Found by fuzzing: edges far apart made the triangle's width, and edges near the coordinates'
// ends made the insets, overflow 32 bits.
TEST(HeaderGeometry, ExtremeRectanglesNeitherOverflowNorWrap) {
    // tests/fuzz/corpus/header_geometry/arrow_width_overflow
    const HeaderRect wide{-8370, -1025, 2147483628, 16305674};
    EXPECT_EQ(SortArrowPoints(wide, true)[0].x, 1073737629);
    EXPECT_EQ(SortArrowPoints({INT32_MIN, 0, INT32_MAX, 9}, false)[1].x, -1);

    auto layout = LayoutHeaderItem({INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX}, true);
    EXPECT_EQ(layout.text, (HeaderRect{INT32_MAX, INT32_MIN + 3, INT32_MIN, INT32_MAX}));
    EXPECT_EQ(layout.triangle, (HeaderRect{INT32_MIN, INT32_MIN + 5, INT32_MIN, INT32_MAX - 4}));
}
