// Two commands of the program's own in the taskbar button's window menu (the application
// window's system menu): a keyboard move of the main window, and a jump to the screen's
// top-left corner, for a main window that has been lost off the screen.
#pragma once

#include <windows.h>

namespace app {

inline constexpr UINT kIdSystemMove = 1025;
inline constexpr UINT kIdSystemTopLeft = 1026;

// A separator, "移動(&M)" and "左上に移動" below the menu's own entries.
void AppendSystemMenuCommands(HWND applicationWindow);

// Carries out either command (a WM_SYSCOMMAND's wParam) on mainWindow; true when it was one
// of them and is done with. Any other command is left alone.
bool HandleSystemMenuCommand(WPARAM command, HWND mainWindow);

} // namespace app
