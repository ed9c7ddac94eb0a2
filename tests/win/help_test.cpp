// The help command as the user reaches it: a click on the menu bar, a click on "ヘルプ".
#include <windows.h>

#include <string>
#include <vector>

#include "drag_kit.h"
#include "main_window_fixture.h"
#include "pump.h"
#include "win/program_path.h"

namespace tuckbay::test {
namespace {

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// Position of the item with the given caption in menu, or -1.
int ItemAt(HMENU menu, const std::wstring& caption) {
    for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
        wchar_t text[64] = {};
        ::GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        if (caption == text)
            return i;
    }
    return -1;
}

using HelpCommand = ShellRecordingTest;

TEST_F(HelpCommand, MenuClicksOpenTheHelpFileBesideTheProgram) {
    HMENU bar = ::GetMenu(mainWindow->Hwnd());
    const int helpMenu = ItemAt(bar, L"ヘルプ(&H)");
    ASSERT_GE(helpMenu, 0);
    HMENU popup = ::GetSubMenu(bar, helpMenu);
    const int helpItem = ItemAt(popup, L"ヘルプ");
    ASSERT_GE(helpItem, 0);
    RECT barItem{};
    ASSERT_TRUE(::GetMenuItemRect(mainWindow->Hwnd(), bar, helpMenu, &barItem));

    std::string failure = DriveInput([&](InputDriver& d) {
        POINT at = Centre(barItem);
        if (!d.MoveTo(at, "the pointer on the menu bar", [&] {
                POINT p{};
                return ::GetCursorPos(&p) && p.x == at.x && p.y == at.y;
            }))
            return;
        d.LeftDown();
        d.LeftUp();
        if (!d.WaitFor("the help menu to open", [] { return OpenPopupMenu() != nullptr; }))
            return;
        RECT item{};
        if (!d.WaitFor("the help item's place",
                       [&] { return ::GetMenuItemRect(nullptr, popup, helpItem, &item) != 0; }))
            return;
        at = Centre(item);
        if (!d.MoveTo(at, "the pointer on the help item",
                      [&] { return ::GetMenuState(popup, helpItem, MF_BYPOSITION) & MF_HILITE; }))
            return;
        d.LeftDown();
        d.LeftUp();
        d.WaitFor("the menu to close", [] { return OpenPopupMenu() == nullptr; });
    });
    ASSERT_EQ(failure, "");
    ASSERT_TRUE(Pump([&] { return !shell.opened.empty(); }));

    const std::wstring chm = win::BesideProgram(L"tuckbay2.chm");
    EXPECT_EQ(shell.opened, std::vector<std::wstring>{L"OPEN " + chm});
    EXPECT_EQ(shell.owners, std::vector<HWND>{mainWindow->Hwnd()});
    EXPECT_TRUE(shell.properties.empty() && shell.commands.empty());
    // The build puts the help file beside the program; the request names that very file.
    EXPECT_NE(::GetFileAttributesW(chm.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesW(win::BesideProgram(L"tuckbay.exe").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

} // namespace
} // namespace tuckbay::test
