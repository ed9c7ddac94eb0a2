#include "app/system_menu.h"

namespace app {

void AppendSystemMenuCommands(HWND applicationWindow) {
    HMENU menu = GetSystemMenu(applicationWindow, FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, L"");
    AppendMenuW(menu, MF_STRING, kIdSystemMove, L"移動(&M)");
    AppendMenuW(menu, MF_STRING, kIdSystemTopLeft, L"左上に移動");
}

bool HandleSystemMenuCommand(WPARAM command, HWND mainWindow) {
    if (command == kIdSystemMove) {
        // The platform's own keyboard move runs inside this call, until Enter or Escape.
        SendMessageW(mainWindow, WM_SYSCOMMAND, SC_MOVE, 0);
        return true;
    }
    if (command == kIdSystemTopLeft) {
        RECT r{};
        GetWindowRect(mainWindow, &r);
        MoveWindow(mainWindow, 0, 0, r.right - r.left, r.bottom - r.top, TRUE);
        return true;
    }
    return false;
}

} // namespace app
