// A window of the main window's class that never answers a message: a running Tuckbay that
// hangs, for the test of a second launch that gets no answer. Ends after a minute if not ended.
#include <windows.h>
#include "app/window_class.h"

int main() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = app::kMainWindowClass;
    ::RegisterClassW(&wc);
    ::CreateWindowExW(0, wc.lpszClassName, L"Tuckbay", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                      200, 100, nullptr, nullptr, instance, nullptr);
    ::Sleep(60000);
    return 0;
}
