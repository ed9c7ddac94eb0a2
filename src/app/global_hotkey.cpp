#include "app/global_hotkey.h"

#include "app/hotkey_text.h"
#include "win/application.h"
#include "win/error.h"

namespace app {

static_assert(kHotkeyAlt == MOD_ALT && kHotkeyCtrl == MOD_CONTROL && kHotkeyShift == MOD_SHIFT &&
              kHotkeyWin == MOD_WIN);

GlobalHotkey::GlobalHotkey(HWND window, const std::optional<std::wstring>& setting,
                           const std::function<void(const std::wstring&)>& report)
    : window_(window) {
    const std::wstring text = setting.value_or(kDefaultHotkey);
    if (text.empty())
        return;
    const std::optional<Hotkey> hotkey = ParseHotkey(text);
    if (!hotkey) {
        report(L"ホットキー " + text + L" は使えない組み合わせです (例: " + kDefaultHotkey + L")");
        return;
    }
    // Held down, the key calls the basket up once.
    held_ = ::RegisterHotKey(window, kId, hotkey->modifiers | MOD_NOREPEAT, hotkey->key) != FALSE;
    if (held_)
        return;
    const DWORD code = ::GetLastError();
    if (code == ERROR_HOTKEY_ALREADY_REGISTERED)
        report(L"ホットキー " + FormatHotkey(*hotkey) + L" は他のプログラムが使用中です");
    else
        report(L"ホットキー " + FormatHotkey(*hotkey) + L" を登録できません。" +
               win::SystemMessageText(code));
}

GlobalHotkey::~GlobalHotkey() {
    if (held_)
        ::UnregisterHotKey(window_, kId);
}

void CallUpBasket(win::Application& application, HWND focus) {
    const HWND main = application.MainWindow();
    if (main == nullptr || ::GetForegroundWindow() == main)
        return;
    if (!::IsWindowEnabled(main)) {
        ::SetForegroundWindow(::GetLastActivePopup(main));
        return;
    }
    application.BringToFront();
    if (focus != nullptr && ::IsWindowVisible(focus))
        ::SetFocus(focus);
}

} // namespace app
