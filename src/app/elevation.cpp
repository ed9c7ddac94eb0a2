#include "app/elevation.h"

namespace app {

bool AllowDropMessages(std::initializer_list<HWND> windows, MessageFilter filter) {
    constexpr UINT kCopyGlobalData = 0x0049;
    bool allowed = true;
    for (HWND window : windows) {
        for (UINT message : {UINT{WM_DROPFILES}, kCopyGlobalData, UINT{WM_COPYDATA}})
            allowed = filter(window, message, MSGFLT_ALLOW, nullptr) && allowed;
    }
    return allowed;
}

bool RunningElevated() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated =
        ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
        elevation.TokenIsElevated != 0;
    ::CloseHandle(token);
    return elevated;
}

} // namespace app
