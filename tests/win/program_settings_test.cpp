// The program itself, started as a user starts it, keeps its settings beside its executable.
#include <windows.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "file_bytes.h"
#include "program_copy.h"
#include "pump.h"

namespace tuckbay::test {
namespace {

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
    ASSERT_TRUE(PumpUntil([&] { return (box = FindProcessWindow(process_.Id(), L"#32770")); },
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
