#include "win/shell_actions.h"

#include "win/error.h"
#include "win/program_path.h"

namespace win {

void SystemShell::ExecuteEx(const SHELLEXECUTEINFOW& request) {
    SHELLEXECUTEINFOW copy = request;
    if (ShellExecuteExW(&copy) && copy.hProcess)
        CloseHandle(copy.hProcess);
}

void SystemShell::StartProcess(const std::wstring& application, const std::wstring& commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine; // CreateProcessW may write into it
    if (CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

void SystemShell::Open(HWND owner, const std::wstring& verb, const std::wstring& file) {
    ShellExecuteW(owner, verb.c_str(), file.c_str(), nullptr, nullptr, SW_SHOW);
}

DWORD SystemShell::OpenWithDefault(HWND owner, const std::wstring& path) {
    SHELLEXECUTEINFOW request{};
    request.cbSize = sizeof(request);
    // No box of the shell's for a file that cannot be opened: the program names them all in
    // one of its own.
    request.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    request.hwnd = owner;
    request.lpFile = path.c_str();
    request.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&request))
        return 0;
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_NO_ASSOCIATION;
}

SHELLEXECUTEINFOW PropertiesRequest(HWND owner, const std::wstring& path) {
    SHELLEXECUTEINFOW request{};
    request.cbSize = sizeof(request);
    // SEE_MASK_FLAG_NO_UI: a file gone since it was listed shows nothing at all.
    request.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    request.hwnd = owner;
    request.lpVerb = L"Properties";
    request.lpFile = path.c_str();
    request.nShow = SW_SHOWNORMAL;
    return request;
}

std::wstring FileBrowserPath() {
    UINT length = GetWindowsDirectoryW(nullptr, 0);
    std::wstring folder(length, L'\0');
    length = GetWindowsDirectoryW(folder.data(), length);
    folder.resize(length);
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return folder + L"\\explorer.exe";
}

std::wstring FolderCommand(const std::wstring& browser, const std::wstring& path) {
    // Quoted, so that spaces and commas in either path reach the browser as one argument. No
    // file name holds a quote, but a line of a list file may: left in, it would end the quoted
    // argument early and hand the rest of the line to the browser as arguments of its own.
    std::wstring argument = path;
    std::erase(argument, L'"');
    return L"\"" + browser + L"\" /n, /e,/select,\"" + argument + L"\"";
}

void ShellActions::ShowFileProperties(const std::wstring& path) {
    shell_.ExecuteEx(PropertiesRequest(owner_, path));
}

void ShellActions::OpenFolder(const std::wstring& path) {
    const std::wstring browser = FileBrowserPath();
    shell_.StartProcess(browser, FolderCommand(browser, path));
}

void ShellActions::OpenFolderItself(const std::wstring& folder) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring browser = FileBrowserPath();
    shell_.StartProcess(browser, L"\"" + browser + L"\" /n, /e,\"" + folder + L"\"");
}

void ShellActions::OpenHelp() { shell_.Open(owner_, L"OPEN", win::BesideProgram(L"tuckbay2.chm")); }

void ShellActions::OpenFiles(const std::vector<std::wstring>& paths) {
    if (paths.empty()) {
        dialogs_.ShowMessage(owner_, kNoFileSelected);
        return;
    }
    if (paths.size() > kOpenWithoutAskingAtMost &&
        !dialogs_.Confirm(owner_, std::to_wstring(paths.size()) + L" 個のファイルを開きますか？"))
        return;
    std::vector<HRESULT> results;
    bool failed = false;
    for (const std::wstring& path : paths) {
        const DWORD error = shell_.OpenWithDefault(owner_, path);
        results.push_back(HRESULT_FROM_WIN32(error));
        failed = failed || error != 0;
    }
    if (failed)
        throw FailedPathsError(paths, results);
}

const std::wstring* ShellActions::FileToActOn(size_t selectedCount,
                                              const std::optional<std::wstring>& focused) {
    if (selectedCount < 1 || !focused) {
        dialogs_.ShowMessage(owner_, kNoFileSelected);
        return nullptr;
    }
    return &*focused;
}

void ShellActions::FilePropertiesOf(size_t selectedCount,
                                    const std::optional<std::wstring>& focused) {
    if (const std::wstring* path = FileToActOn(selectedCount, focused))
        ShowFileProperties(*path);
}

void ShellActions::FolderOf(size_t selectedCount, const std::optional<std::wstring>& focused) {
    if (const std::wstring* path = FileToActOn(selectedCount, focused))
        OpenFolder(*path);
}

} // namespace win
