// Lists in and out through the real main window: drops posted to its zones reach them through
// whatever message loop runs, and the list menu's commands arrive as menu commands.

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "app/system_menu.h"
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
        return ::SendMessageW(mainWindow->Controls().allowListDropsBox, BM_GETCHECK, 0, 0) ==
               BST_CHECKED;
    }

    ScratchFolder folder;
};

TEST_F(FormLists, BothZonesAcceptDropsAndTheSwitchesStartAsTheyShould) {
    EXPECT_TRUE(::GetWindowLongPtrW(mainWindow->Controls().dropZone->Hwnd(), GWL_EXSTYLE) &
                WS_EX_ACCEPTFILES);
    EXPECT_TRUE(::GetWindowLongPtrW(mainWindow->Controls().listArea->Hwnd(), GWL_EXSTYLE) &
                WS_EX_ACCEPTFILES);
    EXPECT_TRUE(mainWindow->Controls().shortcutButton->Down());
    EXPECT_TRUE(DropflChecked());
}

TEST_F(FormLists, ADropOnTheDropZoneIsAppendedAndCounted) {
    std::wstring link = folder / L"t.lnk";
    SaveShortcutTo(link, L"C:\\Windows\\notepad.exe");
    DropOn(mainWindow->Controls().dropZone->Hwnd(), {L"C:\\b.txt", link, L"C:\\b.txt"});
    EXPECT_EQ(List().AllPaths(), (Lines{L"C:\\b.txt", L"C:\\Windows\\notepad.exe", L"C:\\b.txt"}));
    EXPECT_EQ(CountText(), L"3");
    EXPECT_EQ(ViewTexts(mainWindow->Controls().listView), List().AllPaths());

    ::SendMessageW(mainWindow->Controls().shortcutButton->Hwnd(), BM_CLICK, 0, 0);
    ASSERT_FALSE(mainWindow->Controls().shortcutButton->Down());
    DropOn(mainWindow->Controls().dropZone->Hwnd(), {link});
    EXPECT_EQ(List().AllPaths().back(), link);
    EXPECT_EQ(CountText(), L"4");
}

TEST_F(FormLists, AListFileDroppedOnTheListIsReadAndOtherDropsFollowTheCheckBox) {
    std::wstring list = folder.Write(L"x.lst", "C:\\one\r\n\r\nC:\\two\r\n");
    DropOn(mainWindow->Controls().listArea->Hwnd(), {list});
    EXPECT_EQ(List().AllPaths(), (Lines{L"C:\\one", L"", L"C:\\two"}));
    EXPECT_EQ(CountText(), L"3");

    DropOn(mainWindow->Controls().listArea->Hwnd(), {L"C:\\plain.txt"});
    EXPECT_EQ(List().Count(), 4u);
    EXPECT_TRUE(dialogs.warnings.empty());

    ::SendMessageW(mainWindow->Controls().allowListDropsBox, BM_CLICK, 0, 0);
    ASSERT_FALSE(DropflChecked());
    RECT frame = WindowRect();
    DropOn(mainWindow->Controls().listArea->Hwnd(), {L"C:\\refused.txt"});
    EXPECT_EQ(List().Count(), 4u);
    ASSERT_EQ(dialogs.warnings.size(), 1u);
    ExpectRefusalWarning(dialogs.warnings[0], frame);
}

TEST_F(FormLists, ARefusalTakesTheWindowOffTopmostOnlyWhileTheBoxIsOpen) {
    ::SendMessageW(mainWindow->Controls().allowListDropsBox, BM_CLICK, 0, 0);
    ASSERT_EQ(mainWindow->Controls().topmostButton->Down(), IsTopmost());
    if (!mainWindow->Controls().topmostButton->Down()) {
        ::SendMessageW(mainWindow->Controls().topmostButton->Hwnd(), BM_CLICK, 0, 0);
    }
    ASSERT_TRUE(IsTopmost());
    DropOn(mainWindow->Controls().listArea->Hwnd(), {L"C:\\refused.txt"});
    ASSERT_EQ(dialogs.warnings.size(), 1u);
    EXPECT_FALSE(dialogs.warnings[0].ownerTopmost);
    EXPECT_TRUE(IsTopmost());
}

TEST_F(FormLists, AnUnreadableListFileReachesTheErrorBox) {
    std::wstring missing = folder / L"gone.lst";
    DropOn(mainWindow->Controls().listArea->Hwnd(), {missing});
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
    Command(filelist::kIdSaveList);
    EXPECT_EQ(ReadBytes(saved), win::ToCodePage(a + L"\r\n" + b + L"\r\n"));

    Command(filelist::kIdCopyListAsText);
    Command(filelist::kIdAddFromClipboardText);
    EXPECT_EQ(List().AllPaths(), (Lines{a, b, a, b}));
    EXPECT_EQ(CountText(), L"4");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

} // namespace

// What a timer does inside another loop: the box's, the menu's.
std::function<bool()> g_whileOpen;

void CALLBACK RunWhileOpen(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_whileOpen && g_whileOpen())
        ::KillTimer(nullptr, id);
}

// A drop that arrives while a box or a menu runs its own loop is neither lost nor taken twice:
// a box of ours holds it until it closes, a menu lets it in at once. The taskbar button's
// commands work while the about box is open.
TEST_F(FormLists, DropsWhileABoxOrMenuIsOpenAreTakenOnce) {
    app->SetDialogs(nullptr);
    HWND about = mainWindow->Part<app::ProgramPart>().About().Handle();
    HDROP drop = nullptr;
    size_t countWhileOpen = 0;
    struct Case {
        const char* what;
        std::function<void()> open;       // returns once the loop has ended
        std::function<HWND()> openWindow; // the box or menu, once it is there
        std::function<void(HWND)> close;
        bool ours; // a box of ours, which holds drops back until it closes
    };
    const std::vector<Case> cases = {
        {"a message box", [&] { mainWindow->RunCommand(filelist::kIdRemoveItem); },
         [] { return ::FindWindowW(L"#32770", L"Tuckbay"); },
         [](HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); }, true},
        {"the about box", [&] { mainWindow->RunCommand(app::kIdAbout); },
         [about] { return ::IsWindowVisible(about) ? about : nullptr; },
         [&](HWND box) {
             ::PostMessageW(app->Handle(), WM_SYSCOMMAND, app::kIdSystemTopLeft, 0);
             ::PostMessageW(box, WM_CLOSE, 0, 0);
         },
         true},
        {"the list's menu",
         [&] {
             ::SendMessageW(mainWindow->Hwnd(), WM_CONTEXTMENU,
                            reinterpret_cast<WPARAM>(mainWindow->Controls().listView), -1);
         },
         [] {
             HWND menu = ::FindWindowW(L"#32768", nullptr);
             return menu && ::IsWindowVisible(menu) ? menu : nullptr;
         },
         [](HWND) { ::EndMenu(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        List().Clear();
        ::SetWindowPos(mainWindow->Hwnd(), nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        int step = 0;
        g_whileOpen = [&] {
            HWND open = c.openWindow();
            if (open == nullptr)
                return false;
            if (step++ == 0) {
                drop = BuildDrop({L"C:\\while open.txt"});
                ::PostMessageW(mainWindow->Controls().dropZone->Hwnd(), WM_DROPFILES,
                               reinterpret_cast<WPARAM>(drop), 0);
                return false;
            }
            countWhileOpen = List().Count();
            c.close(open);
            return true;
        };
        UINT_PTR timer = ::SetTimer(nullptr, 0, 30, RunWhileOpen);
        c.open();
        ::KillTimer(nullptr, timer);
        g_whileOpen = nullptr;
        EXPECT_EQ(step, 2) << "the loop ended before the drop was made";
        EXPECT_TRUE(Pump([&] { return List().Count() == 1; }, 2000));
        Pump([] { return false; }, 100);
        EXPECT_EQ(List().AllPaths(), Lines{L"C:\\while open.txt"});
        EXPECT_EQ(CountText(), L"1");
        EXPECT_EQ(::GlobalFlags(drop), static_cast<UINT>(GMEM_INVALID_HANDLE)) << "not released";
        EXPECT_EQ(countWhileOpen, c.ours ? 0u : 1u);
        if (std::string(c.what) == "the about box")
            EXPECT_EQ(WindowRect().left, 0) << "the taskbar's command was not carried out";
    }
}
