#include <gtest/gtest.h>

#include "intake/memo_lines.h"

namespace {

using Lines = std::vector<std::wstring>;

TEST(MemoLines, EmptyTextHasNoLines) { EXPECT_EQ(intake::MemoLines(L""), Lines{}); }

TEST(MemoLines, FinalBreakEndsTheLastLineAndMakesNoLineOfItsOwn) {
    EXPECT_EQ(intake::MemoLines(L"a\r\nb"), (Lines{L"a", L"b"}));
    EXPECT_EQ(intake::MemoLines(L"a\r\nb\r\n"), (Lines{L"a", L"b"}));
    EXPECT_EQ(intake::MemoLines(L"\r\n"), (Lines{L""}));
    // Only one empty line is dropped at the end, the one the break leaves.
    EXPECT_EQ(intake::MemoLines(L"a\r\n\r\n"), (Lines{L"a", L""}));
}

TEST(MemoLines, EmptyLinesInsideAreKept) {
    EXPECT_EQ(intake::MemoLines(L"a\r\n\r\nc"), (Lines{L"a", L"", L"c"}));
    EXPECT_EQ(intake::MemoLines(L"\r\nb"), (Lines{L"", L"b"}));
}

TEST(MemoLines, LoneCrAndLoneLfBreakLinesToo) {
    EXPECT_EQ(intake::MemoLines(L"a\rb\nc"), (Lines{L"a", L"b", L"c"}));
    // LF CR is two breaks, not one.
    EXPECT_EQ(intake::MemoLines(L"a\n\rb"), (Lines{L"a", L"", L"b"}));
    EXPECT_EQ(intake::MemoLines(L"a\r"), (Lines{L"a"}));
}

TEST(MemoLines, TextIsKeptExactly) {
    EXPECT_EQ(intake::MemoLines(L" C:\\a b.txt \r\n\tx"), (Lines{L" C:\\a b.txt ", L"\tx"}));
}

} // namespace
