#include "settings/ini_value.h"

#include <gtest/gtest.h>

#include <climits>

using settings::FormatIniInteger;
using settings::ParseIniInteger;
using settings::ReadIniFlag;
using settings::ReadIniInteger;

TEST(IniValue, DecimalWithSignsAndLeadingSpaces) {
    EXPECT_EQ(ParseIniInteger(L"0"), 0);
    EXPECT_EQ(ParseIniInteger(L"305"), 305);
    EXPECT_EQ(ParseIniInteger(L"+12"), 12);
    EXPECT_EQ(ParseIniInteger(L"-40"), -40);
    EXPECT_EQ(ParseIniInteger(L"   7"), 7);
    EXPECT_EQ(ParseIniInteger(L"  -7"), -7);
    EXPECT_EQ(ParseIniInteger(L"007"), 7);
}

TEST(IniValue, DecimalRangeIsSigned32Bit) {
    EXPECT_EQ(ParseIniInteger(L"2147483647"), INT32_MAX);
    EXPECT_EQ(ParseIniInteger(L"-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseIniInteger(L"2147483648"), std::nullopt);
    EXPECT_EQ(ParseIniInteger(L"-2147483649"), std::nullopt);
    EXPECT_EQ(ParseIniInteger(L"99999999999999999999"), std::nullopt);
    EXPECT_EQ(ParseIniInteger(L"0000000000000000000000000012"), 12);
}

TEST(IniValue, HexadecimalPrefixesAndBitPatterns) {
    EXPECT_EQ(ParseIniInteger(L"0x10"), 16);
    EXPECT_EQ(ParseIniInteger(L"0X1f"), 31);
    EXPECT_EQ(ParseIniInteger(L"$Ab"), 0xAB);
    EXPECT_EQ(ParseIniInteger(L"x10"), 16);
    EXPECT_EQ(ParseIniInteger(L"X10"), 16);
    EXPECT_EQ(ParseIniInteger(L"-$10"), -16);
    EXPECT_EQ(ParseIniInteger(L" +0x10"), 16);
    EXPECT_EQ(ParseIniInteger(L"$FFFFFFFF"), -1);
    EXPECT_EQ(ParseIniInteger(L"$80000000"), INT32_MIN);
    EXPECT_EQ(ParseIniInteger(L"$000000000001"), 1);
    EXPECT_EQ(ParseIniInteger(L"$100000000"), std::nullopt);
}

TEST(IniValue, AnythingElseIsNoNumber) {
    for (const wchar_t* text :
         {L"",    L" ",   L"-",   L"+",   L"$",    L"0x",  L"x",  L"true", L"false", L"yes", L"12 ",
          L"1.5", L"1e3", L"+-1", L"--1", L"0x-1", L"\t1", L"1a", L"$G",   L"0b1",   L"１２"}) {
        EXPECT_EQ(ParseIniInteger(text), std::nullopt)
            << "text: " << testing::PrintToString(std::wstring(text));
    }
}

TEST(IniValue, DefaultsAndFlags) {
    EXPECT_EQ(ReadIniInteger(L"", 0), 0);
    EXPECT_EQ(ReadIniInteger(L"abc", 42), 42);
    EXPECT_EQ(ReadIniInteger(L"-3", 42), -3);
    EXPECT_TRUE(ReadIniFlag(L"1", false));
    EXPECT_TRUE(ReadIniFlag(L"2", false));
    EXPECT_TRUE(ReadIniFlag(L"-1", false));
    EXPECT_FALSE(ReadIniFlag(L"0", true));
    EXPECT_FALSE(ReadIniFlag(L"$0", true));
    EXPECT_TRUE(ReadIniFlag(L"false", true));
    EXPECT_TRUE(ReadIniFlag(L"true", true));
    EXPECT_TRUE(ReadIniFlag(L"", true));
}

TEST(IniValue, WrittenFormReadsBack) {
    EXPECT_EQ(FormatIniInteger(0), L"0");
    EXPECT_EQ(FormatIniInteger(-25), L"-25");
    EXPECT_EQ(FormatIniInteger(INT32_MIN), L"-2147483648");
    for (int32_t v : {0, 1, -1, 305, -32000, INT32_MAX, INT32_MIN})
        EXPECT_EQ(ParseIniInteger(FormatIniInteger(v)), v);
    EXPECT_EQ(settings::FormatIniFlag(true), L"1");
    EXPECT_EQ(settings::FormatIniFlag(false), L"0");
}
