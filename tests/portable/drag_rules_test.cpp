#include "dragout/drag_rules.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

using dragout::ContinueVerdict;
using dragout::DragVerdict;
using dragout::PastDragThreshold;

TEST(DragThreshold, FivePixelsOnEitherAxisInEitherDirectionStartsTheDrag) {
    EXPECT_FALSE(PastDragThreshold(16, 16, 16, 16));
    EXPECT_FALSE(PastDragThreshold(16, 16, 20, 20)); // 4 right and 4 down
    EXPECT_FALSE(PastDragThreshold(16, 16, 12, 12));
    EXPECT_TRUE(PastDragThreshold(16, 16, 21, 16));
    EXPECT_TRUE(PastDragThreshold(16, 16, 11, 16)); // 5 left
    EXPECT_TRUE(PastDragThreshold(16, 16, 16, 21));
    EXPECT_TRUE(PastDragThreshold(16, 16, 16, 11)); // 5 up
    EXPECT_TRUE(PastDragThreshold(16, 16, 20, 21));
}

TEST(DragThreshold, TheFivePixelsScaleWithTheDpi) {
    // 7.5 pixels at 150 % round to 8; 10 at 200 %.
    EXPECT_FALSE(PastDragThreshold(16, 16, 23, 16, 144));
    EXPECT_TRUE(PastDragThreshold(16, 16, 24, 16, 144));
    EXPECT_FALSE(PastDragThreshold(16, 16, 16, 7, 192));
    EXPECT_TRUE(PastDragThreshold(16, 16, 16, 6, 192));
}

TEST(DragThreshold, PointsOutsideTheIconCountAndExtremesDoNotOverflow) {
    EXPECT_TRUE(PastDragThreshold(2, 2, -3, 2));
    EXPECT_FALSE(PastDragThreshold(-1, -1, -4, 2));
    EXPECT_TRUE(PastDragThreshold(INT_MIN, 0, INT_MAX, 0));
    EXPECT_TRUE(PastDragThreshold(INT_MAX, INT_MAX, INT_MIN, INT_MIN));
    EXPECT_FALSE(PastDragThreshold(INT_MIN, INT_MAX, INT_MIN + 4, INT_MAX - 4));
}

TEST(DragVerdictTable, EscapeAndRightButtonCancelLeftHeldGoesOnReleaseDrops) {
    // (escape, left, right) -> verdict; the first matching row of the table wins.
    EXPECT_EQ(ContinueVerdict(true, true, false), DragVerdict::Cancel);
    EXPECT_EQ(ContinueVerdict(true, false, false), DragVerdict::Cancel);
    EXPECT_EQ(ContinueVerdict(false, true, true), DragVerdict::Cancel);
    EXPECT_EQ(ContinueVerdict(false, false, true), DragVerdict::Cancel);
    EXPECT_EQ(ContinueVerdict(false, true, false), DragVerdict::Continue);
    EXPECT_EQ(ContinueVerdict(false, false, false), DragVerdict::Drop);
}

TEST(MousePoint, EachCoordinateIsCutTo16BitsXLowYHigh) {
    EXPECT_EQ(dragout::PackMousePoint(3, 7), 0x00070003ul);
    EXPECT_EQ(dragout::PackMousePoint(-1, -2), 0xFFFEFFFFul);
    EXPECT_EQ(dragout::PackMousePoint(0x12345, 0x10002), 0x00022345ul);
}

} // namespace
