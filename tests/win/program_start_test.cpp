// What the program itself does as it starts, before its window is there: the files that writes
// killed halfway left behind, and a start by Windows after a restart for an update.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "file_bytes.h"
#include "program_copy.h"
#include "win/replace_file.h"

namespace tuckbay::test {
namespace {

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A write killed halfway leaves its file beside the one it was replacing; the next start
// removes it. A write of a program still running keeps its file, and names of any other shape
// are not the program's to remove.
TEST_F(ProgramCopy, FilesLeftBesideByKilledWritesAreRemovedAtTheNextStart) {
    ProgramProcess killed;
    ASSERT_TRUE(killed.Launch(HelperPath(L"copydata_sender"), L"", folder_));
    ASSERT_NE(killed.ExitCode(), STILL_ACTIVE);
    const std::wstring gone = std::to_wstring(killed.Id());
    const std::wstring running = std::to_wstring(::GetCurrentProcessId());
    // A name the program gives a file beside, as the ended process would have had it.
    std::wstring made;
    ASSERT_TRUE(win::CreateBeside(folder_ + L"\\tuckbay2.lst", made));
    ::DeleteFileW(made.c_str());
    made = made.substr(made.find_last_of(L'\\') + 1);
    made.replace(made.find(running), running.size(), gone);

    const struct {
        std::wstring name;
        bool stays;
    } files[] = {
        {made, false},
        {L"~tuckbay" + gone + L"-0.tmp", false},
        {L"~tuckbay" + running + L"-0.tmp", true},
        {L"~tuckbay" + gone + L".tmp", true},
        {L"~tuckbay" + gone + L"-0.tmp.lst", true},
        {L"~tuckbay" + gone + L"-1x.tmp", true},
        {L"~tuckbay" + gone + L"4294967296-0.tmp", true},
        {L"tuckbay2.lst", true},
    };
    for (const auto& file : files)
        WriteBytes(folder_ + L"\\" + file.name, "half");
    ASSERT_TRUE(Start());
    for (const auto& file : files)
        EXPECT_EQ(Exists(folder_ + L"\\" + file.name), file.stays)
            << testing::PrintToString(file.name);
}

// Started again by Windows with the command line it registered, the basket comes back with its
// kept list and nothing else; a basket of the same executable already there is left as it is,
// and the restarted copy ends without a window.
TEST_F(ProgramCopy, ARestartByWindowsBringsBackTheKeptListOnce) {
    WriteBytes(folder_ + L"\\tuckbay2.ini", "[setting]\r\nkeeplist=1\r\n");
    WriteBytes(folder_ + L"\\tuckbay2.lst", "C:\\a.txt\r\nC:\\b.txt\r\n");
    const std::vector<std::wstring> kept = {L"C:\\a.txt", L"C:\\b.txt"};
    HWND main = Start(app::kRestartArgument);
    ASSERT_TRUE(main);
    EXPECT_EQ(ListOfWindow(main), kept);

    ProgramProcess again;
    ASSERT_TRUE(again.Launch(exe_, app::kRestartArgument, folder_));
    EXPECT_EQ(again.ExitCode(), 0u);
    EXPECT_FALSE(again.MainWindow(0));
    EXPECT_EQ(ListOfWindow(main), kept);
}

} // namespace
} // namespace tuckbay::test
