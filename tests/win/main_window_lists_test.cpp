// Lists in and out through the real main window: drops posted to its zones pass through the
// application's message loop and AppMessage, and the list menu's commands arrive as menu
// commands.

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "list_fixtures.h"
#include "main_window_fixture.h"
#include "win/codepage.h"

namespace {

using namespace tuckbay::test;
using Lines = std::vector<std::wstring>;

class FormLists : public MainWindowTest {
protected:
    void Command(int id) { ::SendMessageW(mainWindow->Hwnd(), WM_COMMAND, id, 0); }
    bool DropflChecked() const {
        return ::SendMessageW(mainWindow->allowListDropsBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    ScratchFolder folder;
};

TEST_F(FormLists, BothZonesAcceptDropsAndTheSwitchesStartAsTheyShould) {
    EXPECT_TRUE(::GetWindowLongPtrW(mainWindow->dropZone->Hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(::GetWindowLongPtrW(mainWindow->listArea->Hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(mainWindow->shortcutButton->Down());
    EXPECT_TRUE(DropflChecked());
}

TEST_F(FormLists, ADropOnTheDropZoneIsAppendedAndCounted) {
    std::wstring link = folder / L"t.lnk";
    SaveShortcutTo(link, L"C:\\Windows\\notepad.exe");
    DropOn(mainWindow->dropZone->Hwnd(), {L"C:\\b.txt", link, L"C:\\b.txt"});
    EXPECT_EQ(List().AllPaths(), (Lines{L"C:\\b.txt", L"C:\\Windows\\notepad.exe", L"C:\\b.txt"}));
    EXPECT_EQ(CountText(), L"3");
    EXPECT_EQ(ViewTexts(mainWindow->listView), List().AllPaths());

    ::SendMessageW(mainWindow->shortcutButton->Hwnd(), BM_CLICK, 0, 0);
    ASSERT_FALSE(mainWindow->shortcutButton->Down());
    DropOn(mainWindow->dropZone->Hwnd(), {link});
    EXPECT_EQ(List().AllPaths().back(), link);
    EXPECT_EQ(CountText(), L"4");
}

TEST_F(FormLists, AListFileDroppedOnTheListIsReadAndOtherDropsFollowTheCheckBox) {
    std::wstring list = folder.Write(L"x.lst", "C:\\one\r\n\r\nC:\\two\r\n");
    DropOn(mainWindow->listArea->Hwnd(), {list});
    EXPECT_EQ(List().AllPaths(), (Lines{L"C:\\one", L"", L"C:\\two"}));
    EXPECT_EQ(CountText(), L"3");

    DropOn(mainWindow->listArea->Hwnd(), {L"C:\\plain.txt"});
    EXPECT_EQ(List().Count(), 4u);
    EXPECT_TRUE(dialogs.warnings.empty());

    ::SendMessageW(mainWindow->allowListDropsBox, BM_CLICK, 0, 0);
    ASSERT_FALSE(DropflChecked());
    RECT frame = WindowRect();
    DropOn(mainWindow->listArea->Hwnd(), {L"C:\\refused.txt"});
    EXPECT_EQ(List().Count(), 4u);
    ASSERT_EQ(dialogs.warnings.size(), 1u);
    ExpectRefusalWarning(dialogs.warnings[0], frame);
}

TEST_F(FormLists, ARefusalTakesTheWindowOffTopmostOnlyWhileTheBoxIsOpen) {
    ::SendMessageW(mainWindow->allowListDropsBox, BM_CLICK, 0, 0);
    ASSERT_EQ(mainWindow->topmostButton->Down(), IsTopmost());
    if (!mainWindow->topmostButton->Down()) {
        ::SendMessageW(mainWindow->topmostButton->Hwnd(), BM_CLICK, 0, 0);
    }
    ASSERT_TRUE(IsTopmost());
    DropOn(mainWindow->listArea->Hwnd(), {L"C:\\refused.txt"});
    ASSERT_EQ(dialogs.warnings.size(), 1u);
    EXPECT_FALSE(dialogs.warnings[0].ownerTopmost);
    EXPECT_TRUE(IsTopmost());
}

TEST_F(FormLists, AnUnreadableListFileReachesTheErrorBox) {
    std::wstring missing = folder / L"gone.lst";
    DropOn(mainWindow->listArea->Hwnd(), {missing});
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0].rfind(L"ファイル \"" + missing + L"\" は開けません。", 0), 0u);
    EXPECT_TRUE(List().AllPaths().empty());
}

TEST_F(FormLists, TheListMenuSavesExportsAndImports) {
    std::wstring a = folder.Write(L"a.txt", "a");
    std::wstring b = folder.Write(L"b.txt", "b");
    Append({a.c_str(), b.c_str()});

    std::wstring saved = folder / L"saved.lst";
    dialogs.saveAnswer = saved;
    Command(app::kIdSaveList);
    EXPECT_EQ(ReadBytes(saved), win::ToCodePage(a + L"\r\n" + b + L"\r\n"));

    Command(app::kIdCopyListAsText);
    Command(app::kIdAddFromClipboardText);
    EXPECT_EQ(List().AllPaths(), (Lines{a, b, a, b}));
    EXPECT_EQ(CountText(), L"4");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

} // namespace
