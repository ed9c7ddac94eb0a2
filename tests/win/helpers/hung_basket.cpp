// A window of the main window's class that takes a hand-over and never answers it: a running
// Tuckbay that hangs, for the test of a second launch that gets no answer. The file "asked" in
// its folder tells that the hand-over reached it. Ends after a minute if not ended.
#include <windows.h>
#include "app/window_class.h"

namespace {

LRESULT CALLBACK Hang(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        ::CloseHandle(
            ::CreateFileW(L"asked", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ::Sleep(60000);
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

int main() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = Hang;
    wc.hInstance = instance;
    wc.lpszClassName = app::kMainWindowClass;
    ::RegisterClassW(&wc);
    ::CreateWindowExW(0, wc.lpszClassName, L"Tuckbay", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                      200, 100, nullptr, nullptr, instance, nullptr);
    ::SetTimer(nullptr, 0, 60000, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER)
        ::DispatchMessageW(&msg);
    return 0;
}
