// Drops into a program run as administrator: the system keeps messages of less trusted
// programs (the shell among them) away from its windows unless each window lets them in.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace intake {

using MessageFilter = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);

// Lets WM_DROPFILES, the global-data copy a drop needs and WM_COPYDATA through to each
// window; false when the system refused any of them.
bool AllowDropMessages(std::initializer_list<HWND> windows,
                       MessageFilter filter = ::ChangeWindowMessageFilterEx);

bool RunningElevated();

// Running elevated while the shell does not: OLE drags from the shell and the programs it
// started cannot reach the program's windows, file drops let through can.
bool ElevatedAboveTheShell();

} // namespace intake
