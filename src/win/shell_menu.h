// The shell's own context menu for listed files, as a folder window shows it for a selection:
// its verbs (open with, send to, cut, copy, delete, properties, …) run by the shell itself.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

namespace win {

class ShellMenu {
public:
    // Shows the shell's menu for paths (from one folder or several) at the screen point at,
    // owned by owner, and runs what the user picks inside around (which may, say, keep the
    // program from capturing its own copy). Throws Error naming every path the shell
    // cannot find, before anything is shown.
    void Show(HWND owner, POINT at, const std::vector<std::wstring>& paths,
              const std::function<void(const std::function<void()>&)>& around);

    // The owner's menu messages while the menu is open: the shell fills and draws its own
    // submenus (send to, open with) from them. True when the shell took the message.
    bool HandleMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    Microsoft::WRL::ComPtr<IContextMenu2> menu2_;
    Microsoft::WRL::ComPtr<IContextMenu3> menu3_;
};

} // namespace win
