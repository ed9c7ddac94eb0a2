#include "app/hotkey_text.h"

#include <array>

namespace app {
namespace {

constexpr unsigned kF1 = 0x70;
constexpr unsigned kFunctionKeys = 24;

struct ModifierName {
    std::wstring_view name;
    unsigned bit;
};
// In the order they are written.
constexpr std::array<ModifierName, 4> kModifiers{
    {{L"Ctrl", kHotkeyCtrl}, {L"Alt", kHotkeyAlt}, {L"Shift", kHotkeyShift}, {L"Win", kHotkeyWin}}};

std::wstring_view Trimmed(std::wstring_view part) {
    while (!part.empty() && part.front() == L' ')
        part.remove_prefix(1);
    while (!part.empty() && part.back() == L' ')
        part.remove_suffix(1);
    return part;
}

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; }

bool SameLetters(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

// The key a part names, or 0.
unsigned KeyOf(std::wstring_view part) {
    if (part.size() == 1) {
        const wchar_t c = Upper(part[0]);
        return (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ? c : 0;
    }
    if (part.size() < 2 || part.size() > 3 || Upper(part[0]) != L'F')
        return 0;
    unsigned number = 0;
    for (wchar_t c : part.substr(1)) {
        if (c < L'0' || c > L'9')
            return 0;
        number = number * 10 + (c - L'0');
    }
    // "F01" is no key's name.
    return part[1] != L'0' && number >= 1 && number <= kFunctionKeys ? kF1 + number - 1 : 0;
}

} // namespace

std::optional<Hotkey> ParseHotkey(std::wstring_view text) {
    Hotkey hotkey;
    for (;;) {
        const size_t plus = text.find(L'+');
        const std::wstring_view part = Trimmed(text.substr(0, plus));
        if (plus == std::wstring_view::npos) {
            hotkey.key = KeyOf(part);
            break;
        }
        unsigned bit = 0;
        for (const ModifierName& modifier : kModifiers)
            if (SameLetters(part, modifier.name))
                bit = modifier.bit;
        if (bit == 0 || (hotkey.modifiers & bit))
            return std::nullopt;
        hotkey.modifiers |= bit;
        text.remove_prefix(plus + 1);
    }
    if (hotkey.key == 0)
        return std::nullopt;
    const bool functionKey = hotkey.key >= kF1;
    if (!functionKey && !(hotkey.modifiers & (kHotkeyCtrl | kHotkeyAlt | kHotkeyWin)))
        return std::nullopt;
    return hotkey;
}

std::wstring FormatHotkey(const Hotkey& hotkey) {
    std::wstring text;
    for (const ModifierName& modifier : kModifiers) {
        if (hotkey.modifiers & modifier.bit) {
            text += modifier.name;
            text += L'+';
        }
    }
    if (hotkey.key >= kF1)
        text += L'F' + std::to_wstring(hotkey.key - kF1 + 1);
    else
        text += static_cast<wchar_t>(hotkey.key);
    return text;
}

} // namespace app
