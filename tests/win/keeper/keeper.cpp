// Keeps one Wine process alive for a whole test run.
//
// Wine starts its desktop process and the COM services with the first GUI program of a
// session and stops them when the last one ends. Without a process that outlives the tests,
// every test process would pay for that start-up again. This program initialises OLE,
// creates a hidden top-level window and waits in a message loop until it is told to quit or
// is killed.
//
// Usage: wine_keeper.exe [READY_FILE]
// Once everything is up it creates READY_FILE (a Windows path), so the caller can wait for
// the session instead of guessing how long start-up takes.

#include <windows.h>

#include <ole2.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (FAILED(OleInitialize(nullptr))) {
        return 1;
    }

    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"TuckbayWineKeeper";
    if (!RegisterClassW(&wc)) {
        return 2;
    }
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"wine keeper", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                100, nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        return 3;
    }

    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc > 1) {
        HANDLE ready = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (ready == INVALID_HANDLE_VALUE) {
            return 4;
        }
        CloseHandle(ready);
    }
    LocalFree(argv);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DestroyWindow(hwnd);
    OleUninitialize();
    return 0;
}
