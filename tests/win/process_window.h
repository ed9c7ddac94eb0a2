// Finding another process's windows: shared by the tests and the helper programs they start.
#pragma once

#include <windows.h>

namespace tuckbay::test {

// The first visible top-level window of class className that belongs to process pid.
HWND FindProcessWindow(DWORD pid, const wchar_t* className);

} // namespace tuckbay::test
