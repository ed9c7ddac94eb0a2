// The global key's combination as the settings file keeps it: "Ctrl+Alt+B".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace app {

// The platform's own modifier bits (MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN), named here so
// that this file needs no Windows header.
enum HotkeyModifier : unsigned {
    kHotkeyAlt = 0x1,
    kHotkeyCtrl = 0x2,
    kHotkeyShift = 0x4,
    kHotkeyWin = 0x8
};

struct Hotkey {
    unsigned modifiers = 0;
    // The platform's virtual-key code: 'A' to 'Z', '0' to '9', 0x70 (F1) to 0x87 (F24).
    unsigned key = 0;
    friend bool operator==(const Hotkey&, const Hotkey&) = default;
};

// The combination when the settings file names none.
inline constexpr wchar_t kDefaultHotkey[] = L"Ctrl+Alt+B";

// Modifiers Ctrl, Alt, Shift and Win in any order and letter case, each at most once, then one
// key (a letter, a digit, F1 to F24), joined by "+" with spaces around the parts allowed. A
// letter or digit needs Ctrl, Alt or Win: alone or with Shift it would take a character from
// every program. Nothing when the text is no such combination, an empty one included.
std::optional<Hotkey> ParseHotkey(std::wstring_view text);

// The combination as the program writes it: "Ctrl+Alt+Shift+Win+" in that order, then the key
// ("B", "7", "F12").
std::wstring FormatHotkey(const Hotkey& hotkey);

} // namespace app
