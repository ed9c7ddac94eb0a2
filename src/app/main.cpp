// Program entry: OLE for the process, the application object, the main window, the loop.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "app/main_window.h"
#include "win/application.h"
#include "win/error.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The save box moves the current folder to wherever a list was saved; a library the
    // system loads later by name must not come from there.
    ::SetDllDirectoryW(L"");
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                             ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    int exitCode = 0;
    try {
        win::Application application(L"Tuckbay");
        app::MainWindow mainWindow(application);
        exitCode = application.Run();
    } catch (...) {
        win::ReportCurrentException();
        exitCode = 1;
    }
    ::OleUninitialize();
    return exitCode;
}
