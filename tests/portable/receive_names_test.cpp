#include <gtest/gtest.h>

#include <set>

#include "intake/png_image.h"
#include "intake/receive_names.h"

namespace {

using intake::GroupItem;

// The folder's names, as the file system compares them.
std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towlower(c));
    return text;
}

TEST(ReceiveNames, NamesNoFileMayHaveAreMadeSafe) {
    const struct {
        const wchar_t* given;
        const wchar_t* safe;
    } cases[] = {
        {L"report.pdf", L"report.pdf"},
        {L"a:b*c?d\"e<f>g|h.txt", L"a_b_c_d_e_f_g_h.txt"},
        {L"tab\there", L"tab_here"},
        {L"trailing. . ", L"trailing"},
        {L"..", L"_"},
        {L"", L"_"},
        {L"CON", L"_CON"},
        {L"con.txt", L"_con.txt"},
        {L"Com7.log", L"_Com7.log"},
        {L"LPT1 .x", L"_LPT1 .x"},
        {L"console.txt", L"console.txt"},
        {L"com10", L"com10"},
        {L"COM¹", L"_COM¹"},
        {L"com².txt", L"_com².txt"},
        {L"Lpt³.a.b", L"_Lpt³.a.b"},
        {L"LPT¹ ", L"_LPT¹"},
        {L"com⁴", L"com⁴"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(intake::SafeName(c.given), c.safe) << testing::PrintToString(c.given);
    const std::wstring longName = std::wstring(300, L'x') + L".docx";
    const std::wstring cut = intake::SafeName(longName);
    EXPECT_EQ(cut.size(), 120u);
    EXPECT_EQ(cut.substr(cut.size() - 5), L".docx");
}

TEST(ReceiveNames, ATakenNameGetsTheNextNumberBeforeItsExtension) {
    std::set<std::wstring> there = {L"a.txt", L"a (2).txt", L".profile"};
    auto taken = [&](const std::wstring& n) { return there.count(n) != 0; };
    EXPECT_EQ(intake::UniqueName(L"b.txt", taken), L"b.txt");
    EXPECT_EQ(intake::UniqueName(L"a.txt", taken), L"a (3).txt");
    EXPECT_EQ(intake::UniqueName(L".profile", taken), L".profile (2)");
}

// Each case: the group's items (a trailing "\" marks a folder), the names already in the
// folder, where each item goes and which items the list gets.
TEST(ReceiveNames, AGroupStaysInsideTheFolderAndListsItsTopItems) {
    const struct {
        std::vector<std::wstring> items;
        std::set<std::wstring> there;
        std::vector<std::wstring> places;
        std::vector<size_t> top;
    } cases[] = {
        // the same attachment name twice, and once more with one there already
        {{L"r.pdf", L"r.pdf"}, {}, {L"r.pdf", L"r (2).pdf"}, {0, 1}},
        {{L"r.pdf", L"R.PDF"}, {L"r.pdf"}, {L"r (2).pdf", L"R (3).PDF"}, {0, 1}},
        // an archive's folders: made, the top one listed, its name numbered as a whole
        {{L"zip\\", L"zip\\a.txt", L"zip\\sub\\", L"zip\\sub\\b.txt", L"c.txt"},
         {L"zip"},
         {L"zip (2)", L"zip (2)\\a.txt", L"zip (2)\\sub", L"zip (2)\\sub\\b.txt", L"c.txt"},
         {0, 4}},
        // nothing leads out: parents, drives, roots and folders that are not the group's
        {{L"..\\..\\evil.txt", L"C:\\Windows\\x.dll", L"\\\\server\\share\\y", L"a/b/c.txt"},
         {},
         {L"evil.txt", L"Windows_x.dll", L"server_share_y", L"a_b_c.txt"},
         {0, 1, 2, 3}},
        {{L"d\\", L"d\\..\\..\\up.txt", L"d\\e\\f.txt"},
         {},
         {L"d", L"d\\up.txt", L"d\\e_f.txt"},
         {0}},
        {{L"nul\\", L"nul\\con"}, {}, {L"_nul", L"_nul\\_con"}, {0}},
        // a folder whose parent is not the group's own; a folder named after its items
        {{L"zip\\sub\\", L"zip\\sub\\b.txt"}, {}, {L"zip_sub", L"zip_sub_b.txt"}, {0, 1}},
        {{L"zip\\a.txt", L"zip\\"}, {L"zip"}, {L"zip (2)\\a.txt", L"zip (2)"}, {1}},
    };
    for (const auto& c : cases) {
        std::vector<GroupItem> items;
        for (std::wstring name : c.items) {
            const bool folder = !name.empty() && name.back() == L'\\';
            if (folder)
                name.pop_back();
            items.push_back({name, folder});
        }
        const intake::GroupPlaces placed = intake::PlaceGroup(
            items, [&](const std::wstring& place) { return c.there.count(Lower(place)) != 0; });
        EXPECT_EQ(placed.places, c.places) << testing::PrintToString(c.items);
        EXPECT_EQ(placed.top, c.top) << testing::PrintToString(c.items);
    }
}

TEST(ReceiveNames, TextIsNamedByItsFirstWords) {
    EXPECT_EQ(intake::NameFromText(L"  Meeting notes:\tMonday\r\nsecond line", L".txt"),
              L"Meeting notes_ Monday.txt");
    EXPECT_EQ(intake::NameFromText(L"\r\n\r\n   ", L".txt"), L"テキスト.txt");
    EXPECT_EQ(intake::NameFromText(L"???", L".url"), L"___.url");
    EXPECT_EQ(intake::NameFromText(std::wstring(100, L'a'), L".txt").size(), 44u);
}

std::vector<uint8_t> Dib(int width, int height, int bits, std::vector<uint8_t> pixels) {
    std::vector<uint8_t> dib(40, 0);
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            dib[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put(0, 40, 4), put(4, width, 4), put(8, static_cast<uint32_t>(height), 4), put(12, 1, 2);
    put(14, bits, 2);
    dib.insert(dib.end(), pixels.begin(), pixels.end());
    return dib;
}

// The image rows inside a PNG written with stored blocks, and whether every chunk's CRC holds.
std::string Rows(const std::string& png, bool& crcsHold) {
    crcsHold = true;
    std::string rows;
    auto big = [&](size_t at) {
        return uint32_t(uint8_t(png[at])) << 24 | uint32_t(uint8_t(png[at + 1])) << 16 |
               uint32_t(uint8_t(png[at + 2])) << 8 | uint8_t(png[at + 3]);
    };
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = big(at);
        uint32_t c = 0xFFFFFFFFu;
        for (size_t i = at + 4; i < at + 8 + length; ++i) {
            c ^= uint8_t(png[i]);
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        crcsHold = crcsHold && (c ^ 0xFFFFFFFFu) == big(at + 8 + length);
        if (png.compare(at + 4, 4, "IDAT") == 0)
            for (size_t b = at + 10; b < at + 8 + length - 4;) {
                const size_t n = uint8_t(png[b + 1]) | uint8_t(png[b + 2]) << 8;
                rows.append(png, b + 5, n);
                b += 5 + n;
            }
        at += 12 + length;
    }
    return rows;
}

TEST(PngImage, ABitmapBecomesAPngOfTheSamePixelsTopRowFirst) {
    // 2 x 2, 24 bits, bottom-up, rows padded to 8 bytes: blue, green / red, white.
    const auto dib = Dib(2, 2, 24, {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0});
    const auto png = intake::PngFromDib(dib.data(), dib.size());
    ASSERT_TRUE(png);
    EXPECT_EQ(png->substr(0, 8), "\x89PNG\r\n\x1a\n");
    bool crcs = false;
    const std::string rows = Rows(*png, crcs);
    EXPECT_TRUE(crcs);
    const std::string expected("\0\xFF\0\0\xFF\xFF\xFF\xFF\xFF"
                               "\0\0\0\xFF\xFF\0\xFF\0\xFF",
                               18);
    EXPECT_EQ(rows, expected);
    // A 32-bit image with no alpha anywhere is opaque; a top-down one is not turned over.
    const auto flat = Dib(1, -2, 32, {1, 2, 3, 0, 4, 5, 6, 0});
    bool crcs32 = false;
    EXPECT_EQ(Rows(*intake::PngFromDib(flat.data(), flat.size()), crcs32),
              std::string("\0\3\2\1\xFF\0\6\5\4\xFF", 10));
}

TEST(PngImage, WhatIsNoSuchBitmapGivesNothing) {
    auto eight = Dib(1, 1, 8, {0, 0, 0, 0});
    auto shortRows = Dib(4, 4, 32, std::vector<uint8_t>(20));
    auto zero = Dib(0, 1, 24, {0, 0, 0, 0});
    for (const auto& dib : {eight, shortRows, zero})
        EXPECT_FALSE(intake::PngFromDib(dib.data(), dib.size()));
    EXPECT_FALSE(intake::PngFromDib(nullptr, 0));
}

} // namespace
