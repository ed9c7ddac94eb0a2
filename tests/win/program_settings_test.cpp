// The program itself, started as a user starts it, keeps its settings beside its executable.
#include <windows.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "file_bytes.h"
#include "pump.h"
#include "win/program_path.h"

namespace tuckbay::test {
namespace {

struct Found {
    DWORD pid;
    const wchar_t* className;
    HWND hwnd;
};

HWND FindProcessWindow(DWORD pid, const wchar_t* className) {
    Found found{pid, className, nullptr};
    ::EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* f = reinterpret_cast<Found*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            wchar_t name[64] = {};
            ::GetClassNameW(hwnd, name, 64);
            if (owner == f->pid && std::wstring(name) == f->className && ::IsWindowVisible(hwnd)) {
                f->hwnd = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.hwnd;
}

// A copy of the program in a folder of its own, started and ended for each test.
class ProgramCopy : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        folder_ = std::wstring(temp) + L"tuckbay_run_" + std::to_wstring(::GetCurrentProcessId());
        std::filesystem::remove_all(std::filesystem::path(folder_));
        ::CreateDirectoryW(folder_.c_str(), nullptr);
        exe_ = folder_ + L"\\tuckbay.exe";
        ASSERT_TRUE(::CopyFileW(win::BesideProgram(L"tuckbay.exe").c_str(), exe_.c_str(), FALSE));
    }
    void TearDown() override {
        if (process_.hProcess) {
            ::TerminateProcess(process_.hProcess, 1);
            ::WaitForSingleObject(process_.hProcess, 5000);
            ::CloseHandle(process_.hThread);
            ::CloseHandle(process_.hProcess);
        }
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
    }

    // Starts the program and returns its main window once shown.
    HWND Start() {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring command = L"\"" + exe_ + L"\"";
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder_.c_str(), &si, &process_))
            return nullptr;
        HWND main = nullptr;
        PumpUntil(
            [&] { return (main = FindProcessWindow(process_.dwProcessId, L"TTuckbayForm1")); },
            std::chrono::seconds(30));
        return main;
    }
    bool Ended() { return ::WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }

    std::wstring folder_;
    std::wstring exe_;
    PROCESS_INFORMATION process_{};
};

TEST_F(ProgramCopy, FirstRunWritesTheSettingsBesideTheProgram) {
    HWND main = Start();
    ASSERT_TRUE(main);
    RECT r;
    ::GetWindowRect(main, &r);
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }, std::chrono::seconds(30)));
    const std::string file = ReadBytes(folder_ + L"\\tuckbay2.ini");
    EXPECT_EQ(file.rfind("[position]\r\nTop=" + std::to_string(r.top) +
                             "\r\nLeft=" + std::to_string(r.left) + "\r\n[size]\r\nFormWidth=",
                         0),
              0u)
        << file;
    EXPECT_NE(file.find("canctrlc=1\r\n"), std::string::npos);
}

TEST_F(ProgramCopy, UnwritableSettingsAreReportedAndTheProgramStillEnds) {
    // A folder where the file should be: no file to read, and none can be written.
    const std::wstring ini = folder_ + L"\\tuckbay2.ini";
    ::CreateDirectoryW(ini.c_str(), nullptr);
    HWND main = Start();
    ASSERT_TRUE(main);
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    HWND box = nullptr;
    ASSERT_TRUE(
        PumpUntil([&] { return (box = FindProcessWindow(process_.dwProcessId, L"#32770")); },
                  std::chrono::seconds(30)));
    wchar_t title[64] = {}, text[1024] = {};
    ::GetWindowTextW(box, title, 64);
    ::GetDlgItemTextW(box, 0xFFFF, text, 1024);
    EXPECT_STREQ(title, L"Tuckbay");
    EXPECT_EQ(std::wstring(text), ini + L" に書き込めません.");
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return Ended(); }, std::chrono::seconds(30)));
}

} // namespace
} // namespace tuckbay::test
