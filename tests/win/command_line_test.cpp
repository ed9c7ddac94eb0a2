// "tuckbay.exe PATH...": the paths a user starts the program with land in its list as a drop of
// the same paths on the drop zone would put them there.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "list_fixtures.h"
#include "program_copy.h"

namespace tuckbay::test {
namespace {

using Texts = std::vector<std::wstring>;

TEST(CommandLine, RelativePathsBecomeFullAndFullPathsStayAsGiven) {
    const std::wstring here = CurrentFolder();
    const std::wstring base = here.back() == L'\\' ? here : here + L"\\";
    EXPECT_EQ(
        app::PathsFromCommandLine(LR"("C:\Program Files\tuckbay.exe" a.txt "sub dir\b c.lst" )"
                                  LR"(C:\x\..\y.txt "" \\server\share\z.txt)"),
        (Texts{base + L"a.txt", base + L"sub dir\\b c.lst", L"C:\\x\\..\\y.txt",
               L"\\\\server\\share\\z.txt"}));
    EXPECT_EQ(app::PathsFromCommandLine(L"tuckbay.exe"), Texts{});
}

class CommandLineProgram : public ProgramCopy {};

TEST_F(CommandLineProgram, PathsAreAppendedAsADropOnTheDropZone) {
    // The shortcut switch starts down: a shortcut is listed as its target. A list file is a
    // path like any other here, as on the drop zone. Relative names are found in the folder
    // the program starts in.
    const std::wstring link = folder_ + L"\\リンク.lnk";
    SaveShortcutTo(link, L"C:\\windows\\notepad.exe");
    const std::wstring args = QuoteArgument(L"b.txt") + L" " + QuoteArgument(link) + L" " +
                              QuoteArgument(L"C:\\lists\\日本語.lst") + L" " +
                              QuoteArgument(L"a.txt") + L" " + QuoteArgument(L"a.txt");
    HWND main = Start(args);
    ASSERT_TRUE(main);
    EXPECT_EQ(ListOfWindow(main),
              (Texts{folder_ + L"\\b.txt", L"C:\\windows\\notepad.exe", L"C:\\lists\\日本語.lst",
                     folder_ + L"\\a.txt", folder_ + L"\\a.txt"}));
}

TEST_F(CommandLineProgram, ThreeHundredPathsNearTheCommandLineLimitAllArriveWhole) {
    Texts paths;
    std::wstring args;
    for (int i = 0; i < 300; ++i) {
        std::wstring number = std::to_wstring(1000 + i);
        paths.push_back(L"C:\\" + std::wstring(88, L'd') + L"\\file" + number + L".txt");
        args += QuoteArgument(paths.back()) + L" ";
    }
    args.pop_back();
    ASSERT_GT(exe_.size() + args.size(), 32000u);
    ASSERT_LT(exe_.size() + args.size() + 3, 32767u);
    HWND main = Start(args);
    ASSERT_TRUE(main);
    EXPECT_EQ(ListOfWindow(main), paths);
}

} // namespace
} // namespace tuckbay::test
