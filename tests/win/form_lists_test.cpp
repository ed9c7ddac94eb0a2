// Lists in and out through the real main window: drops posted to its zones pass through the
// application's message loop and AppMessage, and the list menu's commands arrive as menu
// commands.

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "form_fixture.h"
#include "list_fixtures.h"
#include "win/codepage.h"

namespace {

using namespace tuckbay::test;
using Lines = std::vector<std::wstring>;

class FormLists : public FormTest {
protected:
    void Command(int id) { ::SendMessageW(form->Hwnd(), WM_COMMAND, id, 0); }
    bool DropflChecked() const {
        return ::SendMessageW(form->dropfl, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    ScratchFolder folder;
};

TEST_F(FormLists, BothZonesAcceptDropsAndTheSwitchesStartAsTheyShould) {
    EXPECT_TRUE(::GetWindowLongPtrW(form->drop->Hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(::GetWindowLongPtrW(form->filelist->Hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(form->sbtnshort->Down());
    EXPECT_TRUE(DropflChecked());
}

TEST_F(FormLists, ADropOnTheDropZoneIsAppendedAndCounted) {
    std::wstring link = folder / L"t.lnk";
    SaveShortcutTo(link, L"C:\\Windows\\notepad.exe");
    DropOn(form->drop->Hwnd(), {L"C:\\b.txt", link, L"C:\\b.txt"});
    EXPECT_EQ(List().AllPaths(), (Lines{L"C:\\b.txt", L"C:\\Windows\\notepad.exe", L"C:\\b.txt"}));
    EXPECT_EQ(CountText(), L"3");
    EXPECT_EQ(ViewTexts(form->ListView1), List().AllPaths());

    ::SendMessageW(form->sbtnshort->Hwnd(), BM_CLICK, 0, 0);
    ASSERT_FALSE(form->sbtnshort->Down());
    DropOn(form->drop->Hwnd(), {link});
    EXPECT_EQ(List().AllPaths().back(), link);
    EXPECT_EQ(CountText(), L"4");
}

TEST_F(FormLists, AListFileDroppedOnTheListIsReadAndOtherDropsFollowTheCheckBox) {
    std::wstring list = folder.Write(L"x.lst", "C:\\one\r\n\r\nC:\\two\r\n");
    DropOn(form->filelist->Hwnd(), {list});
    EXPECT_EQ(List().AllPaths(), (Lines{L"C:\\one", L"", L"C:\\two"}));
    EXPECT_EQ(CountText(), L"3");

    DropOn(form->filelist->Hwnd(), {L"C:\\plain.txt"});
    EXPECT_EQ(List().Count(), 4u);
    EXPECT_TRUE(dialogs.warnings.empty());

    ::SendMessageW(form->dropfl, BM_CLICK, 0, 0);
    ASSERT_FALSE(DropflChecked());
    RECT frame = WindowRect();
    DropOn(form->filelist->Hwnd(), {L"C:\\refused.txt"});
    EXPECT_EQ(List().Count(), 4u);
    ASSERT_EQ(dialogs.warnings.size(), 1u);
    ExpectRefusalWarning(dialogs.warnings[0], frame);
}

TEST_F(FormLists, ARefusalTakesTheWindowOffTopmostOnlyWhileTheBoxIsOpen) {
    ::SendMessageW(form->dropfl, BM_CLICK, 0, 0);
    ASSERT_EQ(form->SpeedButton1->Down(), IsTopmost());
    if (!form->SpeedButton1->Down()) {
        ::SendMessageW(form->SpeedButton1->Hwnd(), BM_CLICK, 0, 0);
    }
    ASSERT_TRUE(IsTopmost());
    DropOn(form->filelist->Hwnd(), {L"C:\\refused.txt"});
    ASSERT_EQ(dialogs.warnings.size(), 1u);
    EXPECT_FALSE(dialogs.warnings[0].ownerTopmost);
    EXPECT_TRUE(IsTopmost());
}

TEST_F(FormLists, AnUnreadableListFileReachesTheErrorBox) {
    std::wstring missing = folder / L"gone.lst";
    DropOn(form->filelist->Hwnd(), {missing});
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
    Command(app::kIdN5);
    EXPECT_EQ(ReadBytes(saved), win::ToCodePage(a + L"\r\n" + b + L"\r\n"));

    Command(app::kIdV1);
    Command(app::kIdW1);
    EXPECT_EQ(List().AllPaths(), (Lines{a, b, a, b}));
    EXPECT_EQ(CountText(), L"4");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

} // namespace
