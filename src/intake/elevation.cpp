#include "intake/elevation.h"

namespace intake {

bool AllowDropMessages(std::initializer_list<HWND> windows, MessageFilter filter) {
    constexpr UINT kCopyGlobalData = 0x0049;
    bool allowed = true;
    for (HWND window : windows) {
        for (UINT message : {UINT{WM_DROPFILES}, kCopyGlobalData, UINT{WM_COPYDATA}})
            allowed = filter(window, message, MSGFLT_ALLOW, nullptr) && allowed;
    }
    return allowed;
}

namespace {

bool ProcessElevated(HANDLE process) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated =
        ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
        elevation.TokenIsElevated != 0;
    ::CloseHandle(token);
    return elevated;
}

} // namespace

bool RunningElevated() { return ProcessElevated(::GetCurrentProcess()); }

bool ElevatedAboveTheShell() {
    if (!RunningElevated())
        return false;
    // No shell at all (another shell, or none, as under Wine): no drag comes from below.
    const HWND shellWindow = ::GetShellWindow();
    if (shellWindow == nullptr)
        return false;
    DWORD shellProcess = 0;
    ::GetWindowThreadProcessId(shellWindow, &shellProcess);
    HANDLE shell = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcess);
    if (shell == nullptr)
        return true; // nothing shows the shell runs as high: take it that it does not
    const bool shellElevated = ProcessElevated(shell);
    ::CloseHandle(shell);
    return !shellElevated;
}

} // namespace intake
