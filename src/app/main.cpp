// Program entry: OLE for the process, the application object, the main window, the loop.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/second_launch.h"
#include "win/application.h"
#include "win/error.h"
#include "win/program_path.h"
#include "win/replace_file.h"

namespace {

// The basket's own window with the paths it was started with, until it is closed.
int RunBasket(std::vector<std::wstring> paths) {
    // A write killed halfway (a crash, a power cut) left its file beside the settings or the
    // kept list; the file it was to replace is whole, and the leftover is of no use.
    win::RemoveLeftovers(win::BesideProgram(L""));
    win::RemoveLeftovers(intake::ReceivedFolder(settings::SettingsPath()));
    // Started again after Windows restarts for an update, the basket comes back with its kept
    // list; the paths it was first started with were taken then and are not taken again.
    ::RegisterApplicationRestart(app::kRestartArgument, RESTART_NO_CRASH | RESTART_NO_HANG);
    win::Application application(L"Tuckbay");
    app::MainWindow mainWindow(application);
    try {
        mainWindow.TakeStartPaths(std::move(paths));
    } catch (...) {
        win::ReportCurrentException();
    }
    return application.Run();
}

} // namespace

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
        const wchar_t* commandLine = ::GetCommandLineW();
        if (app::IsRestartByWindows(commandLine)) {
            // A basket from this executable already there (started by the user meanwhile) is
            // the basket: a second would show the same kept list again.
            if (!app::BasketRunningFrom(win::ProgramPath()))
                exitCode = RunBasket({});
        } else {
            std::vector<std::wstring> paths = app::PathsFromCommandLine(commandLine);
            // With paths, the basket already running from this executable takes them; a launch
            // without paths, or one nobody answered in time, opens a window of its own.
            if (paths.empty() || !app::HandOverToRunningProgram(win::ProgramPath(), paths))
                exitCode = RunBasket(std::move(paths));
        }
    } catch (...) {
        win::ReportCurrentException();
        exitCode = 1;
    }
    ::OleUninitialize();
    return exitCode;
}
