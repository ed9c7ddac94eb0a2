// Handing listed files to the shell (opened with their programs, one's properties sheet, its
// folder with the file selected) and opening the help file. The program builds each request and
// lets go of it: what the shell makes of it is not the program's business, but for whether a
// file could be opened at all.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "win/dialogs.h"

namespace win {

// The shell as the program reaches it. Tests record the requests; SystemShell makes them.
class ShellRequests {
public:
    virtual ~ShellRequests() = default;
    virtual void ExecuteEx(const SHELLEXECUTEINFOW& request) = 0;
    // Starts application (a full path) with the whole command line, shown as SW_SHOW.
    virtual void StartProcess(const std::wstring& application, const std::wstring& commandLine) = 0;
    virtual void Open(HWND owner, const std::wstring& verb, const std::wstring& file) = 0;
    // Opens path as a double click in the shell does (its default verb): 0, or the system's
    // error code when it could not be opened.
    virtual DWORD OpenWithDefault(HWND owner, const std::wstring& path) = 0;
};

class SystemShell : public ShellRequests {
public:
    void ExecuteEx(const SHELLEXECUTEINFOW& request) override;
    void StartProcess(const std::wstring& application, const std::wstring& commandLine) override;
    void Open(HWND owner, const std::wstring& verb, const std::wstring& file) override;
    DWORD OpenWithDefault(HWND owner, const std::wstring& path) override;
};

// The properties request for path; it points into path, which must outlive it.
SHELLEXECUTEINFOW PropertiesRequest(HWND owner, const std::wstring& path);
// The system's own file browser, by its full path in the Windows folder.
std::wstring FileBrowserPath();
// The browser's command line that opens a new window on path's folder with path selected.
std::wstring FolderCommand(const std::wstring& browser, const std::wstring& path);

inline constexpr wchar_t kNoFileSelected[] = L"ファイルが選ばれていません";
// More files than this at once are opened only once the user has said so.
inline constexpr size_t kOpenWithoutAskingAtMost = 15;

class ShellActions {
public:
    ShellActions(HWND owner, ShellRequests& shell, Dialogs& dialogs)
        : owner_(owner), shell_(shell), dialogs_(dialogs) {}

    void ShowFileProperties(const std::wstring& path);
    void OpenFolder(const std::wstring& path);
    // A folder's own window (made first if it is not there yet).
    void OpenFolderItself(const std::wstring& folder);
    // tuckbay2.chm beside the program, through the shell.
    void OpenHelp();
    // Each of paths with its own program. Those that could not be opened are named in one
    // error (Error) once the others are open.
    void OpenFiles(const std::vector<std::wstring>& paths);

    // The menus' file actions act on the focused item; with nothing selected, or no item
    // focused, there is no file to act on and the user is told so.
    void FilePropertiesOf(size_t selectedCount, const std::optional<std::wstring>& focused);
    void FolderOf(size_t selectedCount, const std::optional<std::wstring>& focused);

private:
    const std::wstring* FileToActOn(size_t selectedCount,
                                    const std::optional<std::wstring>& focused);

    HWND owner_;
    ShellRequests& shell_;
    Dialogs& dialogs_;
};

} // namespace win
