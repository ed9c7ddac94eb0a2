#include "app/hotkey_text.h"

#include <gtest/gtest.h>

using app::FormatHotkey;
using app::Hotkey;
using app::ParseHotkey;

namespace {

constexpr unsigned kCtrl = app::kHotkeyCtrl, kAlt = app::kHotkeyAlt, kShift = app::kHotkeyShift,
                   kWin = app::kHotkeyWin;

TEST(HotkeyText, CombinationsReadAndWrittenAsTheProgramWritesThem) {
    const struct {
        const wchar_t* text;
        Hotkey hotkey;
        const wchar_t* written;
    } cases[] = {
        {L"Ctrl+Alt+B", {kCtrl | kAlt, 'B'}, L"Ctrl+Alt+B"},
        {L"alt+CTRL+b", {kCtrl | kAlt, 'B'}, L"Ctrl+Alt+B"},
        {L" Win + Shift + 7 ", {kShift | kWin, '7'}, L"Shift+Win+7"},
        {L"Ctrl+Alt+Shift+Win+Z", {kCtrl | kAlt | kShift | kWin, 'Z'}, L"Ctrl+Alt+Shift+Win+Z"},
        {L"F1", {0, 0x70}, L"F1"},
        {L"Shift+f12", {kShift, 0x7B}, L"Shift+F12"},
        {L"Ctrl+F24", {kCtrl, 0x87}, L"Ctrl+F24"},
        {L"Alt+F", {kAlt, 'F'}, L"Alt+F"},
        {L"Win+0", {kWin, '0'}, L"Win+0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        const auto read = ParseHotkey(c.text);
        ASSERT_TRUE(read);
        EXPECT_EQ(*read, c.hotkey);
        EXPECT_EQ(FormatHotkey(*read), c.written);
    }
}

TEST(HotkeyText, NonsenseIsNoCombination) {
    for (const wchar_t* text : {
             L"",
             L" ",
             L"B",
             L"Shift+B",
             L"Shift+5",
             L"Ctrl",
             L"Ctrl+Alt",
             L"Ctrl+Alt+",
             L"+B",
             L"Ctrl++B",
             L"Ctrl+Ctrl+B",
             L"Ctrl+B+Alt",
             L"Ctrl+BB",
             L"Ctrl+F0",
             L"Ctrl+F25",
             L"Ctrl+F01",
             L"Ctrl+F1x",
             L"Ctrl+Alt+Ｂ",
             L"Control+B",
             L"Ctrl+Alt+Del",
             L"Ctrl-Alt-B",
             L"Ctrl+Alt+\tB",
         }) {
        EXPECT_EQ(ParseHotkey(text), std::nullopt) << testing::PrintToString(std::wstring(text));
    }
}

} // namespace
