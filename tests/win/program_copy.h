// The program itself, copied into a folder of its own and started as a user starts it: tests
// of what only the real executable does (its settings file, its command line, a second launch).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "process_window.h"

namespace tuckbay::test {

// The current folder of this process.
std::wstring CurrentFolder();

// Quotes an argument for the command line as CommandLineToArgvW reads it back.
std::wstring QuoteArgument(const std::wstring& argument);

// A started copy of the program; ended (killed if need be) with the object.
class ProgramProcess {
public:
    ProgramProcess() = default;
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // Starts exe with the arguments in folder (the current folder); false if it could not start.
    bool Launch(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder);
    // Its main window once shown, waiting up to timeoutMs; null if none appeared.
    HWND MainWindow(DWORD timeoutMs = 30000) const;
    bool Ended() const;
    // Ends it now if it still runs.
    void End();
    // Ends it as Windows ends a session: WM_QUERYENDSESSION, then WM_ENDSESSION with wParam
    // TRUE, sent to each of its top-level windows, shown or hidden, then the process ended
    // without WM_CLOSE or WM_DESTROY. False when a window did not agree or did not answer.
    bool EndSession(LPARAM reason = ENDSESSION_LOGOFF);
    // Waits for the end and gives the exit code; STILL_ACTIVE when it did not end in time.
    DWORD ExitCode(DWORD timeoutMs = 30000) const;
    DWORD Id() const noexcept { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_{};
};

// The helper tests/win/helpers/NAME.cpp, built beside the tests.
std::wstring HelperPath(const std::wstring& name);

// Runs a helper beside the tests (tests/win/helpers/NAME.cpp) to its end and gives its exit
// code; STILL_ACTIVE when it did not end in time.
DWORD RunHelper(const std::wstring& name, const std::wstring& arguments);

// The listed paths of a running program's main window, read as its user would: through
// "クリップ出力" (the list as clipboard text). The list must not be empty.
std::vector<std::wstring> ListOfWindow(HWND main);

// The count display of a running program's main window ("" while blank).
std::wstring CountShown(HWND main);

// A copy of the program in a folder of its own for each test.
class ProgramCopy : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the copy (without arguments: as before) and returns its main window once shown.
    HWND Start(const std::wstring& arguments = L"");

    bool Ended() { return process_.Ended(); }

    std::wstring folder_;
    std::wstring exe_;
    ProgramProcess process_;
};

} // namespace tuckbay::test
