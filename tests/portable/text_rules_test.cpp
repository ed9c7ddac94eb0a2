#include "filelist/sort_rules.h"
#include "win/text_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorText, SystemMessagesLoseTrailingBreaksBlanksAndFullStops) {
    EXPECT_EQ(win::TrimMessageText(L"Access is denied.\r\n"), L"Access is denied");
    EXPECT_EQ(win::TrimMessageText(L"アクセスが拒否されました。\r\n"), L"アクセスが拒否されました。");
    EXPECT_EQ(win::TrimMessageText(L"Text . .\t\r\n "), L"Text");
    EXPECT_EQ(win::TrimMessageText(L"a.b"), L"a.b");
    EXPECT_EQ(win::TrimMessageText(L"...\r\n"), L"");
    EXPECT_EQ(win::TrimMessageText(L""), L"");
}

TEST(ErrorText, TheBoxAddsAFullStopOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(win::WithClosingPeriod(L"Failed"), L"Failed.");
    EXPECT_EQ(win::WithClosingPeriod(L"3"), L"3.");
    EXPECT_EQ(win::WithClosingPeriod(L"作成できません"), L"作成できません.");
    EXPECT_EQ(win::WithClosingPeriod(L"Done."), L"Done.");
    EXPECT_EQ(win::WithClosingPeriod(L"Stop!"), L"Stop!");
    EXPECT_EQ(win::WithClosingPeriod(L"a-"), L"a-");
    EXPECT_EQ(win::WithClosingPeriod(L"a/"), L"a/.");
    EXPECT_EQ(win::WithClosingPeriod(L""), L"");
}

TEST(ErrorText, CodesWithoutASystemTextGetTheOleFallback) {
    EXPECT_EQ(win::OleErrorFallback(0x80040154ul), L"OLE エラー 80040154");
    EXPECT_EQ(win::OleErrorFallback(0x1ul), L"OLE エラー 00000001");
    EXPECT_EQ(win::OleErrorFallback(0x8000ffffUL), L"OLE エラー 8000FFFF");
}

TEST(SortSigns, EveryColumnStartsDescendingAndTurnsOnEachSort) {
    filelist::SortSigns signs;
    EXPECT_EQ(signs.Sign(0), -1);
    EXPECT_EQ(signs.Take(0), -1);
    EXPECT_EQ(signs.Take(0), 1);
    EXPECT_EQ(signs.Take(0), -1);
    EXPECT_EQ(signs.Sign(0), 1);
    EXPECT_EQ(signs.Take(2), -1);
    EXPECT_EQ(signs.Sign(1), -1);
    EXPECT_EQ(signs.Sign(2), 1);
    EXPECT_EQ(signs.Take(-1), -1);

    EXPECT_TRUE(filelist::SortsBefore(-1, 1));
    EXPECT_FALSE(filelist::SortsBefore(-1, -1));
    EXPECT_TRUE(filelist::SortsBefore(1, -1));
    EXPECT_FALSE(filelist::SortsBefore(0, -1));
    EXPECT_FALSE(filelist::SortsBefore(0, 1));
}

} // namespace
