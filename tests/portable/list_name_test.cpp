#include <gtest/gtest.h>

#include "filelist/list_name.h"
#include "intake/extension.h"

namespace {

using filelist::FormatLongTime;
using filelist::ListNameFrom;
using filelist::TimeFormat;

TEST(ListName, MakesSeparatorsSpaces) {
    EXPECT_EQ(ListNameFrom(L"2009/03/05", L"14:07:09"), L"tuckbay 2009 03 05-14 07 09.lst");
    // Only "/" and ":" are unfit for a file name; other separators stay.
    EXPECT_EQ(ListNameFrom(L"05.03.2009", L"14.07.09"), L"tuckbay 05.03.2009-14.07.09.lst");
}

TEST(LongTime, TwentyFourHourClock) {
    TimeFormat format; // H:mm:ss style with a leading zero
    EXPECT_EQ(FormatLongTime(14, 7, 9, format), L"14:07:09");
    EXPECT_EQ(FormatLongTime(0, 0, 0, format), L"00:00:00");
    format.leadingZero = false;
    EXPECT_EQ(FormatLongTime(9, 5, 3, format), L"9:05:03");
    format.separator = L".";
    EXPECT_EQ(FormatLongTime(23, 59, 59, format), L"23.59.59");
}

TEST(LongTime, TwelveHourClockPlacesTheMarker) {
    TimeFormat format;
    format.twelveHour = true;
    format.leadingZero = false;
    format.amMarker = L"AM";
    format.pmMarker = L"PM";
    EXPECT_EQ(FormatLongTime(14, 7, 9, format), L"2:07:09 PM");
    EXPECT_EQ(FormatLongTime(0, 30, 0, format), L"12:30:00 AM");
    EXPECT_EQ(FormatLongTime(12, 0, 1, format), L"12:00:01 PM");
    EXPECT_EQ(FormatLongTime(11, 59, 59, format), L"11:59:59 AM");

    format.markerFirst = true;
    format.leadingZero = true;
    format.amMarker = L"午前";
    format.pmMarker = L"午後";
    EXPECT_EQ(FormatLongTime(14, 7, 9, format), L"午後 02:07:09");
    EXPECT_EQ(FormatLongTime(1, 2, 3, format), L"午前 01:02:03");
}

TEST(ListFileExtension, OnlyLowerCaseCounts) {
    EXPECT_TRUE(intake::IsShortcutPath(L"C:\\a.lnk"));
    EXPECT_FALSE(intake::IsShortcutPath(L"C:\\a.LNK"));
    EXPECT_FALSE(intake::IsShortcutPath(L"C:\\a.lnk.txt"));
    EXPECT_TRUE(intake::IsListFilePath(L"C:\\a.lst"));
    EXPECT_FALSE(intake::IsListFilePath(L"C:\\a.LST"));
    EXPECT_FALSE(intake::IsListFilePath(L"C:\\a.Lst"));
}

} // namespace
