#include "win/shell_actions.h"
#include "win/program_path.h"

#include "pump.h"

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct RecordingShell : win::ShellRequests {
    struct Executed {
        SHELLEXECUTEINFOW request;
        std::wstring file, verb;
    };
    struct Started {
        std::wstring application, commandLine;
    };
    struct Opened {
        HWND owner;
        std::wstring verb, file;
    };
    void ExecuteEx(const SHELLEXECUTEINFOW& r) override {
        executed.push_back({r, r.lpFile ? r.lpFile : L"", r.lpVerb ? r.lpVerb : L""});
    }
    void StartProcess(const std::wstring& a, const std::wstring& c) override {
        started.push_back({a, c});
    }
    void Open(HWND o, const std::wstring& v, const std::wstring& f) override {
        opened.push_back({o, v, f});
    }
    DWORD OpenWithDefault(HWND, const std::wstring&) override { return 0; }
    std::vector<Executed> executed;
    std::vector<Started> started;
    std::vector<Opened> opened;
};

struct RecordingDialogs : win::Dialogs {
    void ShowMessage(HWND, const std::wstring& text) override { messages.push_back(text); }
    void ShowError(HWND, const std::wstring& text) override { errors.push_back(text); }
    bool Confirm(HWND, const std::wstring&) override { return false; }
    std::optional<std::wstring> AskSaveFileName(HWND, const std::wstring&,
                                                const std::wstring&) override {
        return std::nullopt;
    }
    void ShowWarningAt(HWND, const std::wstring&, const std::wstring&, POINT) override {}
    std::vector<std::wstring> messages, errors;
};

const HWND kOwner = reinterpret_cast<HWND>(0x1234);

// Visible top-level windows of this process.
int OwnVisibleWindows() {
    int count = 0;
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd))
                ++*reinterpret_cast<int*>(param);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// Processes this process started, by executable name.
std::vector<DWORD> Children(const wchar_t* exeName) {
    std::vector<DWORD> pids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snap, &entry); more; more = Process32NextW(snap, &entry)) {
        if (entry.th32ParentProcessID == GetCurrentProcessId() &&
            _wcsicmp(entry.szExeFile, exeName) == 0)
            pids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snap);
    return pids;
}

} // namespace

TEST(ShellActions, PropertiesRequestAsksForTheSheetWithoutAnyUiOfItsOwn) {
    RecordingShell shell;
    RecordingDialogs dialogs;
    win::ShellActions actions(kOwner, shell, dialogs);
    actions.FilePropertiesOf(1, std::wstring(L"C:\\データ\\a b.txt"));
    ASSERT_EQ(shell.executed.size(), 1u);
    const auto& r = shell.executed[0].request;
    EXPECT_EQ(r.cbSize, sizeof(SHELLEXECUTEINFOW));
    EXPECT_EQ(r.fMask, 0x44Cu);
    EXPECT_EQ(r.hwnd, kOwner);
    EXPECT_EQ(shell.executed[0].verb, L"Properties");
    EXPECT_EQ(shell.executed[0].file, L"C:\\データ\\a b.txt");
    EXPECT_EQ(r.lpParameters, nullptr);
    EXPECT_EQ(r.lpDirectory, nullptr);
    EXPECT_EQ(r.lpIDList, nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(ShellActions, FolderCommandStartsTheSystemBrowserWithTheFileQuoted) {
    RecordingShell shell;
    RecordingDialogs dialogs;
    win::ShellActions actions(kOwner, shell, dialogs);
    actions.FolderOf(1, std::wstring(L"C:\\Data\\a b, c\\ファイル 名.txt"));
    ASSERT_EQ(shell.started.size(), 1u);

    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring browser = std::wstring(windows) + L"\\explorer.exe";
    EXPECT_EQ(shell.started[0].application, browser);
    EXPECT_EQ(shell.started[0].commandLine,
              L"\"" + browser + L"\" /n, /e,/select,\"C:\\Data\\a b, c\\ファイル 名.txt\"");
    // The command line splits into exactly the arguments the browser expects.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(shell.started[0].commandLine.c_str(), &argc);
    ASSERT_EQ(argc, 3);
    EXPECT_STREQ(argv[1], L"/n,");
    EXPECT_STREQ(argv[2], L"/e,/select,C:\\Data\\a b, c\\ファイル 名.txt");
    LocalFree(argv);
}

TEST(ShellActions, FolderCommandKeepsAHostileListLineOneArgument) {
    // A list file can hold any line; quotes in it must not end the path's argument early.
    const std::wstring browser = L"C:\\windows\\explorer.exe";
    const std::wstring lines[] = {L"C:\\a\" /root,\"C:\\evil", L"\"", L"C:\\x\"\"y.txt"};
    for (const std::wstring& line : lines) {
        int argc = 0;
        LPWSTR* argv = CommandLineToArgvW(win::FolderCommand(browser, line).c_str(), &argc);
        ASSERT_EQ(argc, 3) << line;
        std::wstring unquoted = line;
        std::erase(unquoted, L'"');
        EXPECT_EQ(argv[0], browser);
        EXPECT_EQ(argv[2], L"/e,/select," + unquoted);
        LocalFree(argv);
    }
}

TEST(ShellActions, HelpOpensTheChmBesideTheProgram) {
    RecordingShell shell;
    RecordingDialogs dialogs;
    win::ShellActions actions(kOwner, shell, dialogs);
    actions.OpenHelp();
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].owner, kOwner);
    EXPECT_EQ(shell.opened[0].verb, L"OPEN");
    EXPECT_EQ(shell.opened[0].file, win::BesideProgram(L"tuckbay2.chm"));
    EXPECT_NE(shell.opened[0].file.find(L":\\"), std::wstring::npos) << "a full path";
}

TEST(ShellActions, NoSelectedFileIsToldAndNothingIsRequested) {
    RecordingShell shell;
    RecordingDialogs dialogs;
    win::ShellActions actions(kOwner, shell, dialogs);
    actions.FilePropertiesOf(0, std::nullopt);
    actions.FolderOf(0, std::nullopt);
    // Focused but not selected, and selected with no focus: nothing to act on either.
    actions.FilePropertiesOf(0, std::wstring(L"C:\\a.txt"));
    actions.FolderOf(1, std::nullopt);
    EXPECT_EQ(dialogs.messages, std::vector<std::wstring>(4, L"ファイルが選ばれていません"));
    EXPECT_TRUE(shell.executed.empty());
    EXPECT_TRUE(shell.started.empty());
}

TEST(SystemShell, PropertiesOfAMissingFileShowNothing) {
    win::SystemShell shell;
    RecordingDialogs dialogs;
    win::ShellActions actions(nullptr, shell, dialogs);
    const int before = OwnVisibleWindows();
    actions.ShowFileProperties(L"C:\\no such folder\\gone.txt");
    tuckbay::test::PumpPending();
    EXPECT_EQ(OwnVisibleWindows(), before);
}

// A file gone, and one no program takes: each comes back with the system's reason, and the
// shell shows no box of its own (the program names them all in one).
TEST(SystemShell, FilesThatCannotBeOpenedAreReportedWithoutABoxOfTheShells) {
    win::SystemShell shell;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring unowned = std::wstring(temp) + L"tuckbay-no-program.unowned-kind";
    HANDLE file = CreateFileW(unowned.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    const int before = OwnVisibleWindows();
    EXPECT_EQ(shell.OpenWithDefault(nullptr, std::wstring(temp) + L"tuckbay-gone.txt"),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(shell.OpenWithDefault(nullptr, unowned), 0u);
    tuckbay::test::PumpPending();
    EXPECT_EQ(OwnVisibleWindows(), before);
    DeleteFileW(unowned.c_str());
}

// The build puts the help file beside the tests too: it is moved away for as long as a test
// needs it missing.
class HelpFileAway {
public:
    HelpFileAway() { MoveFileW(chm_.c_str(), away_.c_str()); }
    ~HelpFileAway() { MoveFileW(away_.c_str(), chm_.c_str()); }

private:
    std::wstring chm_ = win::BesideProgram(L"tuckbay2.chm");
    std::wstring away_ = chm_ + L".away";
};

TEST(SystemShell, HelpFileMissingShowsNothing) {
    win::SystemShell shell;
    RecordingDialogs dialogs;
    win::ShellActions actions(nullptr, shell, dialogs);
    HelpFileAway away;
    ASSERT_EQ(GetFileAttributesW(win::BesideProgram(L"tuckbay2.chm").c_str()),
              INVALID_FILE_ATTRIBUTES);
    const int before = OwnVisibleWindows();
    actions.OpenHelp();
    tuckbay::test::PumpPending();
    EXPECT_EQ(OwnVisibleWindows(), before);
}

// フォルダを開く, and a folder opened as a double click opens it: both in the system's browser.
TEST(SystemShell, FolderStartsTheSystemFileBrowser) {
    win::SystemShell shell;
    RecordingDialogs dialogs;
    win::ShellActions actions(nullptr, shell, dialogs);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::function<void()> routes[] = {
        [&] { actions.OpenFolder(win::ProgramPath()); },
        [&] { EXPECT_EQ(shell.OpenWithDefault(nullptr, temp), 0u); },
    };
    for (const auto& route : routes) {
        const int before = OwnVisibleWindows();
        ASSERT_TRUE(Children(L"explorer.exe").empty());
        route();
        EXPECT_TRUE(tuckbay::test::PumpUntil([] { return !Children(L"explorer.exe").empty(); }));
        EXPECT_EQ(OwnVisibleWindows(), before);
        for (DWORD pid : Children(L"explorer.exe")) {
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
            if (!process)
                continue;
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}
