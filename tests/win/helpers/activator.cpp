// A window of another program that takes the activation and keeps it until it is closed
// (or a minute has passed), for the tests of the program's activation handling.
//
//   activator [hold-hotkey]
//
// With hold-hotkey it holds the global key Ctrl+Alt+B before it shows its window. Its title
// says "activator ready" once nothing more comes to take the activation back.
#include <windows.h>

#include <cstring>

namespace {

LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

int main(int argc, char** argv) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.lpszClassName = L"TuckbayActivator";
    ::RegisterClassW(&wc);
    HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"activator", WS_OVERLAPPEDWINDOW, 10, 10,
                                  200, 100, nullptr, nullptr, instance, nullptr);
    if (argc > 1 && std::strcmp(argv[1], "hold-hotkey") == 0)
        ::RegisterHotKey(hwnd, 1, MOD_CONTROL | MOD_ALT, 'B');
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetForegroundWindow(hwnd);
    ::SetTimer(hwnd, 1, 60000, nullptr);
    MSG msg;
    // Ready, and saying so in its title, once its queue has been quiet for a while: under Wine
    // the X server's focus events for a new window come late, and one that came after another
    // window had taken the activation would take it back.
    while (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 300, QS_ALLINPUT) != WAIT_TIMEOUT) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT || msg.message == WM_TIMER)
                return 0;
            ::DispatchMessageW(&msg);
        }
    }
    ::SetWindowTextW(hwnd, L"activator ready");
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER)
            break;
        ::DispatchMessageW(&msg);
    }
    return 0;
}
