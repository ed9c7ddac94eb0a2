// The main window's header indicator, shell actions, about box and system menu commands,
// driven through the real window's messages.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>
#include <thread>
#include <vector>

#include "intake/elevation.h"
#include "app/system_menu.h"
#include "drag_kit.h"
#include "main_window_fixture.h"
#include "win/program_path.h"

namespace tuckbay::test {
namespace {

class Actions : public ShellRecordingTest {
protected:
    // Opens the taskbar button's menu as the shell does (the application window's system menu,
    // the chosen command posted back to that window) and clicks the item with the pointer.
    void ChooseFromTaskbarMenu(UINT id) {
        HMENU menu = ::GetSystemMenu(app->Handle(), FALSE);
        int position = -1;
        for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i)
            if (::GetMenuItemID(menu, i) == id)
                position = i;
        ASSERT_GE(position, 0);
        // The menu opens under the pointer, as the shell opens it under the user's click on the
        // button. Left over the main window's caption, where the keyboard move puts it, the
        // pointer made Wine's menu drop the click on the item that followed.
        const POINT button{300, 300};
        ::SetCursorPos(button.x, button.y);
        std::string failure;
        std::thread driver([&] {
            InputDriver d;
            RECT item{};
            if (d.WaitFor("the taskbar menu", [&] {
                    return OpenPopupMenu() && ::GetMenuItemRect(nullptr, menu, position, &item);
                })) {
                const POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
                if (d.MoveTo(at, "the pointer on the item", [&] {
                        return ::GetMenuState(menu, position, MF_BYPOSITION) & MF_HILITE;
                    })) {
                    d.LeftDown();
                    d.LeftUp();
                }
            }
            if (!d.failure.empty())
                d.Key(VK_ESCAPE);
            failure = d.failure;
        });
        const UINT chosen = ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, button.x, button.y,
                                             0, app->Handle(), nullptr);
        driver.join();
        EXPECT_EQ(failure, "");
        ASSERT_EQ(chosen, id);
        ::PostMessageW(app->Handle(), WM_SYSCOMMAND, chosen, 0);
    }
    void Command(int id) { ::SendMessageW(mainWindow->Hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void FocusAndSelect(int index) {
        LVITEMW item{};
        item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        item.state = LVIS_FOCUSED | LVIS_SELECTED;
        ::SendMessageW(mainWindow->Controls().listView, LVM_SETITEMSTATE, index,
                       reinterpret_cast<LPARAM>(&item));
    }
    HWND Header() { return mainWindow->Part<filelist::ListPart>().Header().HeaderHandle(); }
    int Format() {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ::SendMessageW(Header(), HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item.fmt;
    }
    void ClickHeader() {
        RECT r{};
        ::SendMessageW(Header(), HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ::SendMessageW(Header(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(Header(), WM_LBUTTONUP, 0, at);
        // The sort runs on a worker; the list and its header change when it is done.
        EXPECT_TRUE(Pump([&] { return !List().Sorting(); }));
    }
};

TEST_F(Actions, HeaderTriangleFollowsTheSortOfTheList) {
    Append({L"b", L"c", L"a"});
    EXPECT_FALSE(Format() & HDF_OWNERDRAW);
    ClickHeader();
    EXPECT_EQ(List().AllPaths(), (std::vector<std::wstring>{L"c", L"b", L"a"}));
    EXPECT_FALSE(mainWindow->Part<filelist::ListPart>().Header().SortArrowUp()) << "descending: down";
    EXPECT_TRUE(Format() & HDF_OWNERDRAW);
    ClickHeader();
    EXPECT_EQ(List().AllPaths(), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_TRUE(mainWindow->Part<filelist::ListPart>().Header().SortArrowUp()) << "ascending: up";
    ClickHeader();
    EXPECT_EQ(List().AllPaths().front(), L"c");
    EXPECT_FALSE(mainWindow->Part<filelist::ListPart>().Header().SortArrowUp());
    EXPECT_TRUE(Format() & HDF_OWNERDRAW);
    // A resize of the window sets the column's width: the item stays owner-drawn.
    ::SetWindowPos(mainWindow->Hwnd(), nullptr, 0, 0, 800, 400, SWP_NOMOVE | SWP_NOZORDER);
    ::SendMessageW(Header(), WM_CAPTURECHANGED, 0, 0);
    EXPECT_TRUE(Format() & HDF_OWNERDRAW);
}

TEST_F(Actions, FileActionsFromBothMenusActOnTheFocusedFile) {
    Append({L"C:\\one.txt", L"C:\\Data\\a b, c\\ファイル.txt"});
    FocusAndSelect(1);
    Command(filelist::kIdProperties);
    Command(filelist::kIdListProperties);
    Command(filelist::kIdOpenFolder);
    Command(filelist::kIdListOpenFolder);
    EXPECT_EQ(shell.properties, std::vector<std::wstring>(2, L"C:\\Data\\a b, c\\ファイル.txt"));
    EXPECT_EQ(shell.owners, std::vector<HWND>(2, mainWindow->Hwnd()));
    ASSERT_EQ(shell.commands.size(), 2u);
    EXPECT_EQ(shell.commands[0], shell.commands[1]);
    EXPECT_EQ(shell.commands[0], L"\"" + win::FileBrowserPath() +
                                     L"\" /n, /e,/select,\"C:\\Data\\a b, c\\ファイル.txt\"");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Actions, FileActionsOnAnEmptyListSaySoAndDoNothing) {
    Command(filelist::kIdProperties);
    Command(filelist::kIdListOpenFolder);
    EXPECT_EQ(dialogs.messages, std::vector<std::wstring>(2, L"ファイルが選ばれていません"));
    EXPECT_TRUE(shell.properties.empty());
    EXPECT_TRUE(shell.commands.empty());
}

TEST_F(Actions, HelpOpensTheHelpFile) {
    Command(app::kIdHelp);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], L"OPEN " + win::BesideProgram(L"tuckbay2.chm"));
}

HWND g_about = nullptr;
bool g_sawModal = false;

TEST_F(Actions, AboutBoxShowsModallyOverTheMainWindow) {
    g_about = mainWindow->Part<app::ProgramPart>().About().Handle();
    g_sawModal = false;
    EXPECT_FALSE(::IsWindowVisible(g_about));
    ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        if (!::IsWindowVisible(g_about))
            return;
        HWND owner = ::GetWindow(g_about, GW_OWNER);
        g_sawModal = owner && !::IsWindowEnabled(owner);
        ::KillTimer(nullptr, id);
        ::PostMessageW(g_about, WM_CLOSE, 0, 0);
    });
    Command(app::kIdAbout);
    EXPECT_TRUE(g_sawModal) << "shown owned by the main window, which took no input";
    EXPECT_FALSE(::IsWindowVisible(g_about));
    EXPECT_TRUE(::IsWindowEnabled(mainWindow->Hwnd()));
}

int FindId(HMENU menu, UINT id) {
    for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
        if (::GetMenuItemID(menu, i) == id)
            return i;
    }
    return -1;
}

std::wstring MenuText(HMENU menu, UINT id) {
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, id, text, 64, MF_BYCOMMAND);
    return text;
}

TEST_F(Actions, SystemMenuOffersTheTwoCommandsBelowItsOwn) {
    HMENU menu = ::GetSystemMenu(app->Handle(), FALSE);
    const int move = FindId(menu, app::kIdSystemMove);
    ASSERT_GT(move, 0);
    EXPECT_GT(move, FindId(menu, SC_CLOSE));
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoW(menu, move - 1, TRUE, &info);
    EXPECT_TRUE(info.fType & MFT_SEPARATOR);
    EXPECT_EQ(FindId(menu, app::kIdSystemTopLeft), move + 1);
    EXPECT_EQ(MenuText(menu, app::kIdSystemMove), L"移動(&M)");
    EXPECT_EQ(MenuText(menu, app::kIdSystemTopLeft), L"左上に移動");
    // The main window's own menu is left as it was.
    EXPECT_EQ(FindId(::GetSystemMenu(mainWindow->Hwnd(), FALSE), app::kIdSystemMove), -1);
}

TEST_F(Actions, TopLeftCommandMovesTheWindowToTheCornerKeepingItsSize) {
    ::SetWindowPos(mainWindow->Hwnd(), nullptr, -150, -40, 720, 330, SWP_NOZORDER);
    const RECT before = WindowRect();
    ChooseFromTaskbarMenu(app::kIdSystemTopLeft);
    EXPECT_TRUE(Pump([&] { return WindowRect().left == 0 && WindowRect().top == 0; }));
    const RECT after = WindowRect();
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

HWND g_main = nullptr;
int g_ticks = 0;

TEST_F(Actions, MoveCommandRunsTheKeyboardMove) {
    ::SetWindowPos(mainWindow->Hwnd(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const RECT before = WindowRect();
    g_main = mainWindow->Hwnd();
    g_ticks = 0;
    ChooseFromTaskbarMenu(app::kIdSystemMove);
    // Inside the move loop: arrows to the right, then Enter to end it there.
    ::SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
        ++g_ticks;
        if (g_ticks <= 3) {
            ::PostMessageW(g_main, WM_KEYDOWN, VK_RIGHT, 0);
        } else {
            ::PostMessageW(g_main, WM_KEYDOWN, VK_RETURN, 0);
            ::KillTimer(nullptr, id);
        }
    });
    EXPECT_TRUE(Pump([] { return g_ticks > 3; }));
    Pump([] { return false; }, 0);
    const RECT after = WindowRect();
    EXPECT_GT(after.left, before.left) << "the arrow keys moved the window";
    EXPECT_EQ(after.top, before.top);
}

TEST(SystemMenuCommand, OnlyTheExactIdsOfASystemCommandAreTaken) {
    HWND target = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 30, 40, 200, 100, nullptr, nullptr,
                                    nullptr, nullptr);
    for (WPARAM other : {WPARAM{1024}, WPARAM{1027}, WPARAM{0x10402}, WPARAM{SC_MINIMIZE}})
        EXPECT_FALSE(app::HandleSystemMenuCommand(other, target)) << other;
    RECT r;
    ::GetWindowRect(target, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_TRUE(app::HandleSystemMenuCommand(app::kIdSystemTopLeft, target));
    ::GetWindowRect(target, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 200);
    ::DestroyWindow(target);
}

} // namespace
} // namespace tuckbay::test

namespace tuckbay::test {
namespace {

struct FilterCall {
    HWND window;
    UINT message;
    DWORD action;
};
std::vector<FilterCall> g_filterCalls;
UINT g_refusedMessage = 0;

BOOL WINAPI RecordingFilter(HWND window, UINT message, DWORD action, PCHANGEFILTERSTRUCT) {
    g_filterCalls.push_back({window, message, action});
    return message != g_refusedMessage;
}

// Wine accepts every filter change without keeping it, so what reaches the system is checked
// here: each window lets in a drop's two messages and the hand-over's, and one refusal is
// reported after the rest have still been tried.
TEST(ElevatedWindow, EachWindowLetsTheDropMessagesIn) {
    const HWND a = reinterpret_cast<HWND>(1), b = reinterpret_cast<HWND>(2);
    for (UINT refused : {0u, UINT{WM_DROPFILES}}) {
        g_filterCalls.clear();
        g_refusedMessage = refused;
        EXPECT_EQ(intake::AllowDropMessages({a, b}, RecordingFilter), refused == 0);
        ASSERT_EQ(g_filterCalls.size(), 6u);
        for (size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(g_filterCalls[i].window, i < 3 ? a : b);
            EXPECT_EQ(g_filterCalls[i].message,
                      (std::array<UINT, 3>{WM_DROPFILES, 0x0049, WM_COPYDATA}[i % 3]));
            EXPECT_EQ(g_filterCalls[i].action, static_cast<DWORD>(MSGFLT_ALLOW));
        }
    }
}

} // namespace
} // namespace tuckbay::test
