// The "Tuckbay" shortcut in the user's Send To folder: Explorer's Send To → Tuckbay then starts
// the program with the chosen files, and a running basket takes them.
#pragma once

#include <windows.h>

#include <string>

namespace win {
class Dialogs;
}

namespace app {

// The user's Send To folder (the shell's known folder), made if it is missing. Throws
// win::Error when the shell has none.
std::wstring SendToFolder();

// Puts "Tuckbay.lnk", pointing to program, in folder and says so. A shortcut already there
// that points to program is left as it is (the user is told); one that points elsewhere is
// replaced only when the user agrees. Throws win::Error, with the system's reason, when the
// shortcut cannot be written.
void RegisterInSendTo(HWND owner, win::Dialogs& dialogs, const std::wstring& folder,
                      const std::wstring& program);

} // namespace app
