#include "program_copy.h"

#include <filesystem>

#include "app/main_window.h"
#include "app/window_class.h"
#include "filelist/line_format.h"
#include "pump.h"
#include "win/program_path.h"

namespace tuckbay::test {
namespace {

std::wstring UnicodeClipboardText() {
    std::wstring text;
    if (!::OpenClipboard(nullptr))
        return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text.assign(chars, wcsnlen(chars, ::GlobalSize(data) / sizeof(wchar_t)));
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

} // namespace

std::wstring CurrentFolder() {
    std::wstring folder(::GetCurrentDirectoryW(0, nullptr), L'\0');
    folder.resize(::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

std::wstring QuoteArgument(const std::wstring& argument) {
    // The paths the tests pass end in no backslash and hold no quote.
    return L"\"" + argument + L"\"";
}

ProgramProcess::~ProgramProcess() { End(); }

void ProgramProcess::End() {
    if (info_.hProcess) {
        ::TerminateProcess(info_.hProcess, 1);
        ::WaitForSingleObject(info_.hProcess, 5000);
        ::CloseHandle(info_.hThread);
        ::CloseHandle(info_.hProcess);
    }
    info_ = {};
}

bool ProgramProcess::EndSession(LPARAM reason) {
    struct Windows {
        DWORD pid;
        std::vector<HWND> found;
    } windows{info_.dwProcessId, {}};
    ::EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* w = reinterpret_cast<Windows*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == w->pid)
                w->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    bool agreed = !windows.found.empty();
    for (HWND window : windows.found) {
        DWORD_PTR answer = FALSE;
        agreed = ::SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, reason, SMTO_NORMAL, 5000,
                                       &answer) &&
                 answer && agreed;
    }
    // The system gives the windows about five seconds to save before it ends the process.
    for (HWND window : windows.found) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, reason, SMTO_NORMAL, 5000, &ignored);
    }
    End();
    return agreed;
}

bool ProgramProcess::Launch(const std::wstring& exe, const std::wstring& arguments,
                            const std::wstring& folder) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring command = QuoteArgument(exe);
    if (!arguments.empty())
        command += L" " + arguments;
    return ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder.c_str(), &si, &info_) != FALSE;
}

HWND ProgramProcess::MainWindow(DWORD timeoutMs) const {
    HWND main = nullptr;
    PumpUntil([&] { return (main = FindProcessWindow(info_.dwProcessId, app::kMainWindowClass)); },
              std::chrono::milliseconds(timeoutMs));
    return main;
}

bool ProgramProcess::Ended() const {
    return ::WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
}

DWORD ProgramProcess::ExitCode(DWORD timeoutMs) const {
    PumpUntil([&] { return Ended(); }, std::chrono::milliseconds(timeoutMs));
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

std::wstring CountShown(HWND main) {
    // A status bar's window text is its first part's.
    HWND status = ::FindWindowExW(main, nullptr, STATUSCLASSNAMEW, nullptr);
    wchar_t text[32] = {};
    if (status != nullptr)
        ::SendMessageTimeoutW(status, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                              5000, nullptr);
    return text;
}

std::wstring HelperPath(const std::wstring& name) { return win::BesideProgram(name + L".exe"); }

DWORD RunHelper(const std::wstring& name, const std::wstring& arguments) {
    ProgramProcess helper;
    if (!helper.Launch(HelperPath(name), arguments, CurrentFolder()))
        return ~0u;
    return helper.ExitCode();
}

std::vector<std::wstring> ListOfWindow(HWND main) {
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
    // The clipboard is opened only once the program has put its text there: opened while the
    // program tries to, it would be ours, and the program's command would find it taken.
    const DWORD emptied = ::GetClipboardSequenceNumber();
    ::PostMessageW(main, WM_COMMAND, filelist::kIdCopyListAsText, 0);
    std::wstring text;
    PumpUntil([&] {
        return ::GetClipboardSequenceNumber() != emptied &&
               !(text = UnicodeClipboardText()).empty();
    });
    return filelist::SplitLines(text);
}

void ProgramCopy::SetUp() {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    folder_ = std::wstring(temp) + L"tuckbay_run_" + std::to_wstring(::GetCurrentProcessId());
    std::filesystem::remove_all(std::filesystem::path(folder_));
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    exe_ = folder_ + L"\\tuckbay.exe";
    ASSERT_TRUE(::CopyFileW(win::BesideProgram(L"tuckbay.exe").c_str(), exe_.c_str(), FALSE));
}

void ProgramCopy::TearDown() {
    process_.End();
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
}

HWND ProgramCopy::Start(const std::wstring& arguments) {
    if (!process_.Launch(exe_, arguments, folder_)) {
        ADD_FAILURE() << "the program copy did not start: error " << ::GetLastError();
        return nullptr;
    }
    HWND main = process_.MainWindow();
    if (main == nullptr)
        ADD_FAILURE() << "the program copy showed no main window"
                      << (process_.Ended() ? ", and has ended" : "");
    return main;
}

} // namespace tuckbay::test
