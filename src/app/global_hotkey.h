// The key that calls the basket up from any program (Ctrl+Alt+B unless the settings say
// otherwise), held for the main window while the object lives.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace win {
class Application;
}

namespace app {

class GlobalHotkey {
public:
    // WM_HOTKEY's wParam when the key is pressed.
    static constexpr int kId = 1;

    // setting: the settings file's text; nothing gives the default, an empty text no key. What
    // cannot be had, a text that names no combination or a combination another program holds,
    // is told once through report (never by a box: the program starts all the same).
    GlobalHotkey(HWND window, const std::optional<std::wstring>& setting,
                 const std::function<void(const std::wstring&)>& report);
    ~GlobalHotkey();
    GlobalHotkey(const GlobalHotkey&) = delete;
    GlobalHotkey& operator=(const GlobalHotkey&) = delete;

private:
    HWND window_;
    bool held_ = false;
};

// What the key does: the main window restored if it was minimised, brought to the front and
// activated, and focus given the keyboard. Already the active window, it is left as it is; with
// a box of ours open, the box comes to the front, since it is what waits for the user.
void CallUpBasket(win::Application& application, HWND focus);

} // namespace app
