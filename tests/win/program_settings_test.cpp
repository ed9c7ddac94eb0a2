// The program itself, started as a user starts it, keeps its settings beside its executable.
#include <windows.h>
#include <commctrl.h>

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

// The count display of a started copy: blank until something could change the number of
// entries; a kept list brought back at start is such a thing, an empty one is not.
TEST_F(ProgramCopy, TheCountDisplayAtStartIsBlankUnlessAKeptListCameBack) {
    const struct {
        const char* what;
        const char* settings; // nothing: no settings file
        const char* keptList; // nothing: no kept list
        std::wstring count;
    } starts[] = {
        {"a first start", nullptr, nullptr, L""},
        {"settings, the list not kept", "[setting]\r\nkeeplist=0\r\n", "C:\\a.txt\r\n", L""},
        {"an empty kept list", "[setting]\r\nkeeplist=1\r\n", "", L""},
        {"a kept list of two", "[setting]\r\nkeeplist=1\r\n", "C:\\a.txt\r\nC:\\b.txt\r\n", L"2"},
    };
    for (const auto& start : starts) {
        SCOPED_TRACE(start.what);
        for (const wchar_t* name : {L"\\tuckbay2.ini", L"\\tuckbay2.lst"})
            ::DeleteFileW((folder_ + name).c_str());
        if (start.settings)
            WriteBytes(folder_ + L"\\tuckbay2.ini", start.settings);
        if (start.keptList)
            WriteBytes(folder_ + L"\\tuckbay2.lst", start.keptList);
        HWND main = Start();
        ASSERT_TRUE(main);
        ASSERT_TRUE(::FindWindowExW(main, nullptr, STATUSCLASSNAMEW, nullptr));
        EXPECT_EQ(CountShown(main), start.count);
        process_.End();
    }
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
