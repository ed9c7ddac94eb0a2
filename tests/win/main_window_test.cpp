// The main window against the real platform: its start state, modes, topmost handling,
// activation colouring, and the standard error handling.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "main_window_fixture.h"
#include "win/controls.h"
#include "win/error.h"

namespace tuckbay::test {
namespace {

bool IsDown(HWND button) { return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool IsVisible(HWND hwnd) { return (::GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }
int Width(HWND hwnd) { return win::ChildBounds(hwnd).width; }
int OuterWidth(HWND hwnd) {
    RECT r;
    ::GetWindowRect(hwnd, &r);
    return r.right - r.left;
}

std::wstring MenuText(HMENU menu, UINT id) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, id, text, 128, MF_BYCOMMAND);
    return text;
}

int ColumnWidth(HWND listView) {
    return static_cast<int>(::SendMessageW(listView, LVM_GETCOLUMNWIDTH, 0, 0));
}

using MainWindow = MainWindowTest;

TEST_F(MainWindow, StartsAsDesigned) {
    EXPECT_EQ(win::WindowText(mainWindow->Hwnd()), L"Tuckbay");
    EXPECT_EQ(app->Title(), L"Tuckbay");
    EXPECT_EQ(::GetWindow(mainWindow->Hwnd(), GW_OWNER), app->Handle());

    // Texts of the controls.
    EXPECT_EQ(win::WindowText(mainWindow->Controls().dragCaption->Hwnd()), L"アイコンをドラッグ");
    EXPECT_EQ(win::WindowText(mainWindow->Controls().dropCaption->Hwnd()), L"ここにドロップ");
    EXPECT_EQ(win::WindowText(mainWindow->Controls().quickCaption->Hwnd()), L"クイック操作");
    EXPECT_EQ(win::WindowText(mainWindow->Controls().copyModeButton->Hwnd()), L"コピー");
    EXPECT_EQ(win::WindowText(mainWindow->Controls().moveModeButton->Hwnd()), L"移動");
    EXPECT_EQ(win::WindowText(mainWindow->Controls().clearListButton->Hwnd()), L"リストクリア");
    EXPECT_EQ(win::WindowText(mainWindow->Controls().shortcutButton->Hwnd()), L"ショート変換");
    EXPECT_EQ(win::WindowText(mainWindow->Controls().listAreaButton->Hwnd()), L"ファイルリスト");
    EXPECT_EQ(win::WindowText(mainWindow->Controls().topmostButton->Hwnd()), L"最前面");
    EXPECT_EQ(win::WindowText(mainWindow->Controls().allowListDropsBox),
              L"ファイルリストへのドロップを許可");
    EXPECT_EQ(win::WindowText(mainWindow->Controls().watchClipboardBox), L"Ctrl+Cを監視する");
    EXPECT_EQ(win::WindowText(mainWindow->Controls().addCapturedButton),
              L"ファイルリストへ登録する");
    EXPECT_EQ(win::WindowText(mainWindow->Controls().backToListButton), L"ファイルリストへ戻る");

    // Switch states: copy and shortcut conversion down, full mode and topmost.
    EXPECT_TRUE(IsDown(mainWindow->Controls().copyModeButton->Hwnd()));
    EXPECT_FALSE(IsDown(mainWindow->Controls().moveModeButton->Hwnd()));
    EXPECT_TRUE(IsDown(mainWindow->Controls().shortcutButton->Hwnd()));
    EXPECT_TRUE(IsDown(mainWindow->Controls().listAreaButton->Hwnd()));
    EXPECT_TRUE(IsDown(mainWindow->Controls().topmostButton->Hwnd()));
    EXPECT_FALSE(IsDown(mainWindow->Controls().clearListButton->Hwnd()));
    EXPECT_TRUE(IsDown(mainWindow->Controls().allowListDropsBox));
    EXPECT_TRUE(IsDown(mainWindow->Controls().watchClipboardBox));
    EXPECT_TRUE(IsTopmost());

    // The list panel shows, the capture panel does not, and the count is blank.
    EXPECT_TRUE(IsVisible(mainWindow->Controls().listArea->Hwnd()));
    EXPECT_TRUE(IsVisible(mainWindow->Controls().listPanel->Hwnd()));
    EXPECT_FALSE(IsVisible(mainWindow->Controls().capturePanel->Hwnd()));
    EXPECT_EQ(CountText(), L"");
    EXPECT_EQ(List().Count(), 0u);

    // Frame and buttons of full mode.
    LONG style = ::GetWindowLongW(mainWindow->Hwnd(), GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(::GetWindowLongW(mainWindow->Hwnd(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP);

    // The application window carries the taskbar button's styles.
    LONG appStyle = ::GetWindowLongW(app->Handle(), GWL_STYLE);
    EXPECT_EQ(appStyle & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    HMENU sysMenu = ::GetSystemMenu(app->Handle(), FALSE);
    EXPECT_EQ(::GetMenuState(sysMenu, SC_MOVE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(::GetMenuState(sysMenu, SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(::GetMenuState(sysMenu, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_NE(::GetMenuState(sysMenu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));

    // Layout: the left strip, the list area right of it, the status bar along the bottom.
    RECT client;
    ::GetClientRect(mainWindow->Hwnd(), &client);
    win::Bounds leftStrip = win::ChildBounds(mainWindow->Controls().leftStrip->Hwnd());
    win::Bounds listArea = win::ChildBounds(mainWindow->Controls().listArea->Hwnd());
    win::Bounds status = win::ChildBounds(mainWindow->Controls().statusBar);
    EXPECT_EQ(leftStrip, (win::Bounds{0, 0, 194, client.bottom - 19}));
    EXPECT_EQ(listArea, (win::Bounds{194, 0, client.right - 194, client.bottom - 19}));
    EXPECT_EQ(status, (win::Bounds{0, client.bottom - 19, client.right, 19}));
    EXPECT_EQ(client.right, 692);
    EXPECT_EQ(win::ChildBounds(mainWindow->Controls().listView),
              (win::Bounds{1, 1, listArea.width - 4, listArea.height - 4}));
    EXPECT_EQ(ColumnWidth(mainWindow->Controls().listView), listArea.width - 16);

    wchar_t caption[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = caption;
    column.cchTextMax = 64;
    ASSERT_TRUE(::SendMessageW(mainWindow->Controls().listView, LVM_GETCOLUMNW, 0,
                               reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(caption, L"ファイル名");
    LONG listStyle = ::GetWindowLongW(mainWindow->Controls().listView, GWL_STYLE);
    EXPECT_EQ(listStyle & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_FALSE(listStyle & LVS_SINGLESEL) << "several rows can be selected";
    EXPECT_TRUE(listStyle & LVS_EDITLABELS);
    EXPECT_FALSE(listStyle & LVS_SHOWSELALWAYS);

    // Fonts: every control without a font of its own draws in its parent's.
    auto fontOf = [](HWND hwnd) {
        LOGFONTW lf{};
        auto font = reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0));
        if (font != nullptr)
            ::GetObjectW(font, sizeof lf, &lf);
        return std::make_pair(std::wstring(lf.lfFaceName), static_cast<int>(lf.lfHeight));
    };
    using Font = std::pair<std::wstring, int>;
    EXPECT_EQ(fontOf(mainWindow->Hwnd()), (Font{L"Tahoma", -11}));
    EXPECT_EQ(fontOf(mainWindow->Controls().dropZone->Hwnd()), (Font{L"Tahoma", -11}));
    EXPECT_EQ(fontOf(mainWindow->Controls().dragZone->Hwnd()), (Font{L"Tahoma", -11}));
    EXPECT_EQ(fontOf(mainWindow->Controls().quickPanel->Hwnd()), (Font{L"Tahoma", -12}));
    EXPECT_EQ(fontOf(mainWindow->Controls().watchClipboardBox), (Font{L"Tahoma", -12}));
    EXPECT_EQ(fontOf(mainWindow->Controls().dragCaption->Hwnd()), (Font{L"ＭＳ Ｐゴシック", -19}));
    EXPECT_EQ(fontOf(mainWindow->Controls().quickCaption->Hwnd()), (Font{L"ＭＳ Ｐゴシック", -15}));
    EXPECT_EQ(fontOf(mainWindow->Controls().listView), (Font{L"ＭＳ Ｐゴシック", -12}));

    // Menus.
    EXPECT_EQ(MenuText(mainWindow->Controls().mainMenu, filelist::kIdSaveList), L"リスト保存(&S)");
    EXPECT_EQ(MenuText(mainWindow->Controls().mainMenu, filelist::kIdCopyListAsText),
              L"クリップ出力(&V)");
    EXPECT_EQ(MenuText(mainWindow->Controls().mainMenu, filelist::kIdAddFromClipboardText),
              L"クリップ取り込み(&W)");
    EXPECT_EQ(MenuText(mainWindow->Controls().mainMenu, filelist::kIdProperties),
              L"ファイルのプロパティ(&P)");
    EXPECT_EQ(MenuText(mainWindow->Controls().mainMenu, filelist::kIdOpenFolder), L"フォルダを開く(&F)");
    EXPECT_EQ(MenuText(mainWindow->Controls().mainMenu, filelist::kIdRemoveMissing),
              L"存在しないファイルを削除");
    EXPECT_EQ(MenuText(mainWindow->Controls().mainMenu, filelist::kIdKeepList), L"終了時にリストを保持");
    EXPECT_EQ(::GetMenuState(mainWindow->Controls().mainMenu, filelist::kIdKeepList, MF_BYCOMMAND) &
                  MF_CHECKED,
              0u);
    // "ドラッグ後(&A)": three radio items, the first ticked.
    HMENU afterDrag = mainWindow->Controls().afterDragMenu;
    wchar_t afterDragText[64] = {};
    HMENU list = ::GetSubMenu(mainWindow->Controls().mainMenu, 0);
    int afterDragAt = 0;
    while (afterDragAt < ::GetMenuItemCount(list) && ::GetSubMenu(list, afterDragAt) != afterDrag)
        ++afterDragAt;
    ::GetMenuStringW(list, afterDragAt, afterDragText, 64, MF_BYPOSITION);
    EXPECT_STREQ(afterDragText, L"ドラッグ後(&A)");
    const std::pair<int, const wchar_t*> afterDragItems[] = {
        {app::kIdAfterDragKeep, L"リストに残す(&K)"},
        {app::kIdAfterDragTakeOffMoved, L"移動したファイルをリストから外す(&M)"},
        {app::kIdAfterDragTakeOffDragged, L"ドラッグしたファイルをリストから外す(&R)"}};
    for (const auto& [id, text] : afterDragItems) {
        EXPECT_EQ(MenuText(afterDrag, id), text);
        EXPECT_EQ(::GetMenuState(afterDrag, id, MF_BYCOMMAND) & (MFT_RADIOCHECK | MF_CHECKED),
                  id == app::kIdAfterDragKeep ? MFT_RADIOCHECK | MF_CHECKED : 0u);
    }
    EXPECT_EQ(MenuText(mainWindow->Controls().mainMenu, app::kIdHelp), L"ヘルプ");
    EXPECT_EQ(MenuText(mainWindow->Controls().mainMenu, app::kIdAbout), L"バージョン情報");
    wchar_t top[64] = {};
    ::GetMenuStringW(mainWindow->Controls().mainMenu, 0, top, 64, MF_BYPOSITION);
    EXPECT_STREQ(top, L"リスト(&L)");
    ::GetMenuStringW(mainWindow->Controls().mainMenu, 1, top, 64, MF_BYPOSITION);
    EXPECT_STREQ(top, L"ヘルプ(&H)");
    HMENU popup = mainWindow->Controls().listMenu;
    ASSERT_EQ(::GetMenuItemCount(popup), 10);
    EXPECT_EQ(::GetMenuItemID(popup, 0), static_cast<UINT>(filelist::kIdOpenSelected));
    EXPECT_EQ(MenuText(popup, filelist::kIdOpenSelected), L"開く(&H)");
    EXPECT_EQ(::GetMenuDefaultItem(popup, FALSE, 0), static_cast<UINT>(filelist::kIdOpenSelected));
    EXPECT_EQ(::GetMenuItemID(popup, 1), static_cast<UINT>(filelist::kIdRemoveItem));
    EXPECT_EQ(MenuText(popup, filelist::kIdRemoveItem), L"リストから削除(&D)");
    EXPECT_EQ(MenuText(popup, filelist::kIdListProperties), L"プロパティ(&P)");
    EXPECT_EQ(MenuText(popup, filelist::kIdListOpenFolder), L"フォルダを開く(&O)");
    EXPECT_EQ(::GetMenuItemID(popup, 5), static_cast<UINT>(filelist::kIdCopySelectedFiles));
    EXPECT_EQ(MenuText(popup, filelist::kIdCopySelectedFiles), L"ファイルとしてコピー(&C)");
    EXPECT_EQ(MenuText(popup, filelist::kIdCutSelectedFiles), L"ファイルとして切り取り(&X)");
    EXPECT_EQ(::GetMenuItemID(popup, 7), static_cast<UINT>(filelist::kIdShellMenu));
    EXPECT_EQ(MenuText(popup, filelist::kIdShellMenu), L"エクスプローラーのメニュー(&E)");
    EXPECT_EQ(::GetMenuItemID(popup, 9), static_cast<UINT>(filelist::kIdRemoveMissing));
    EXPECT_EQ(MenuText(popup, filelist::kIdRemoveMissing), L"存在しないファイルを削除");
}

TEST_F(MainWindow, SpeedButtonsFollowTheirKinds) {
    // The grouped pair: pressing the up one swaps, pressing the down one changes nothing.
    ::SendMessageW(mainWindow->Controls().moveModeButton->Hwnd(), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsDown(mainWindow->Controls().moveModeButton->Hwnd()));
    EXPECT_FALSE(IsDown(mainWindow->Controls().copyModeButton->Hwnd()));
    ::SendMessageW(mainWindow->Controls().moveModeButton->Hwnd(), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsDown(mainWindow->Controls().moveModeButton->Hwnd()));
    EXPECT_FALSE(IsDown(mainWindow->Controls().copyModeButton->Hwnd()));
    ::SendMessageW(mainWindow->Controls().copyModeButton->Hwnd(), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsDown(mainWindow->Controls().copyModeButton->Hwnd()));
    EXPECT_FALSE(IsDown(mainWindow->Controls().moveModeButton->Hwnd()));

    // A toggle of its own flips on every press, independent of the others.
    ::SendMessageW(mainWindow->Controls().shortcutButton->Hwnd(), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsDown(mainWindow->Controls().shortcutButton->Hwnd()));
    EXPECT_TRUE(IsDown(mainWindow->Controls().topmostButton->Hwnd()));
    ::SendMessageW(mainWindow->Controls().shortcutButton->Hwnd(), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsDown(mainWindow->Controls().shortcutButton->Hwnd()));

    // The push button never stays down, and none of them takes the focus from the list.
    ::SetFocus(mainWindow->Controls().listView);
    RECT r;
    ::GetClientRect(mainWindow->Controls().clearListButton->Hwnd(), &r);
    LPARAM centre = MAKELPARAM(r.right / 2, r.bottom / 2);
    POINT screen{r.right / 2, r.bottom / 2};
    ::ClientToScreen(mainWindow->Controls().clearListButton->Hwnd(), &screen);
    ::SetCursorPos(screen.x, screen.y);
    ::SendMessageW(mainWindow->Controls().clearListButton->Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON,
                   centre);
    EXPECT_TRUE(::SendMessageW(mainWindow->Controls().clearListButton->Hwnd(), BM_GETSTATE, 0, 0) &
                BST_PUSHED);
    ::SendMessageW(mainWindow->Controls().clearListButton->Hwnd(), WM_LBUTTONUP, 0, centre);
    EXPECT_FALSE(IsDown(mainWindow->Controls().clearListButton->Hwnd()));
    EXPECT_EQ(CountText(), L"0"); // the release over the button was a click: the list cleared
    EXPECT_EQ(::GetFocus(), mainWindow->Controls().listView);
}

TEST_F(MainWindow, TopmostFollowsTheSwitch) {
    ASSERT_TRUE(IsTopmost());
    ::SendMessageW(mainWindow->Controls().topmostButton->Hwnd(), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsDown(mainWindow->Controls().topmostButton->Hwnd()));
    EXPECT_FALSE(IsTopmost());
    ::SendMessageW(mainWindow->Controls().topmostButton->Hwnd(), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsDown(mainWindow->Controls().topmostButton->Hwnd()));
    EXPECT_TRUE(IsTopmost());
}

TEST_F(MainWindow, LowerCaseZAndXSetTopmostAndStillReachTheControl) {
    // The capture panel's memo, shown as a capture would show it.
    ::ShowWindow(mainWindow->Controls().listPanel->Hwnd(), SW_HIDE);
    ::ShowWindow(mainWindow->Controls().capturePanel->Hwnd(), SW_SHOW);
    ::SetWindowTextW(mainWindow->Controls().captureMemo, L"");
    ::SetFocus(mainWindow->Controls().captureMemo);
    ASSERT_EQ(::GetFocus(), mainWindow->Controls().captureMemo);

    auto type = [&](wchar_t c) {
        size_t before = win::WindowText(mainWindow->Controls().captureMemo).size();
        ::PostMessageW(mainWindow->Controls().captureMemo, WM_CHAR, c, 1);
        ASSERT_TRUE(Pump(
            [&] { return win::WindowText(mainWindow->Controls().captureMemo).size() > before; }));
    };

    type(L'x');
    EXPECT_FALSE(IsTopmost());
    EXPECT_FALSE(IsDown(mainWindow->Controls().topmostButton->Hwnd()));
    type(L'Z');
    type(L'z');
    EXPECT_TRUE(IsTopmost());
    EXPECT_TRUE(IsDown(mainWindow->Controls().topmostButton->Hwnd()));
    type(L'X'); // upper case does nothing
    EXPECT_TRUE(IsTopmost());
    EXPECT_TRUE(IsDown(mainWindow->Controls().topmostButton->Hwnd()));
    type(L'a');
    EXPECT_TRUE(IsTopmost());
    EXPECT_EQ(win::WindowText(mainWindow->Controls().captureMemo), L"xZzXa");

    // A key press that becomes a character through translation is seen the same way.
    ::PostMessageW(mainWindow->Controls().captureMemo, WM_KEYDOWN, 'X', 0x002D0001);
    ::PostMessageW(mainWindow->Controls().captureMemo, WM_KEYUP, 'X', 0xC02D0001);
    ASSERT_TRUE(
        Pump([&] { return win::WindowText(mainWindow->Controls().captureMemo).size() == 6; }));
    EXPECT_EQ(win::WindowText(mainWindow->Controls().captureMemo), L"xZzXax");
    EXPECT_FALSE(IsTopmost());
}

TEST_F(MainWindow, KeepsMinimumHeightAndColumnWidth) {
    RECT r = WindowRect();
    ::SetWindowPos(mainWindow->Hwnd(), nullptr, 0, 0, r.right - r.left, 200,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    r = WindowRect();
    EXPECT_EQ(r.bottom - r.top, 305);
    ::SetWindowPos(mainWindow->Hwnd(), nullptr, 0, 0, 900, 304, SWP_NOMOVE | SWP_NOZORDER);
    r = WindowRect();
    EXPECT_EQ(r.bottom - r.top, 305);
    ::SetWindowPos(mainWindow->Hwnd(), nullptr, 0, 0, 900, 306, SWP_NOMOVE | SWP_NOZORDER);
    r = WindowRect();
    EXPECT_EQ(r.bottom - r.top, 306);
    EXPECT_EQ(r.right - r.left, 900);

    RECT client;
    ::GetClientRect(mainWindow->Hwnd(), &client);
    EXPECT_EQ(Width(mainWindow->Controls().listArea->Hwnd()), client.right - 194);
    EXPECT_EQ(ColumnWidth(mainWindow->Controls().listView), client.right - 194 - 16);
}

TEST_F(MainWindow, CompactModeShowsAllOfTheLeftPanelAndComesBackToTheSameWidth) {
    ::SetWindowPos(mainWindow->Hwnd(), nullptr, 0, 0, 817, 400, SWP_NOMOVE | SWP_NOZORDER);
    const int fullWidth = OuterWidth(mainWindow->Hwnd());
    const int listWidth = Width(mainWindow->Controls().listArea->Hwnd());

    for (int round = 0; round < 3; ++round) {
        ::SendMessageW(mainWindow->Controls().listAreaButton->Hwnd(), BM_CLICK, 0, 0);
        EXPECT_FALSE(IsDown(mainWindow->Controls().listAreaButton->Hwnd()));
        EXPECT_FALSE(IsVisible(mainWindow->Controls().listArea->Hwnd()));
        LONG style = ::GetWindowLongW(mainWindow->Hwnd(), GWL_STYLE);
        EXPECT_FALSE(style & WS_THICKFRAME);
        EXPECT_FALSE(style & WS_MAXIMIZEBOX);
        EXPECT_TRUE(style & WS_MINIMIZEBOX);
        EXPECT_TRUE(style & WS_SYSMENU);
        RECT client;
        ::GetClientRect(mainWindow->Hwnd(), &client);
        EXPECT_EQ(client.right, 194) << "the whole of the left panel shows";

        ::SendMessageW(mainWindow->Controls().listAreaButton->Hwnd(), BM_CLICK, 0, 0);
        EXPECT_TRUE(IsDown(mainWindow->Controls().listAreaButton->Hwnd()));
        EXPECT_TRUE(IsVisible(mainWindow->Controls().listArea->Hwnd()));
        style = ::GetWindowLongW(mainWindow->Hwnd(), GWL_STYLE);
        EXPECT_TRUE(style & WS_THICKFRAME);
        EXPECT_TRUE(style & WS_MAXIMIZEBOX);
        EXPECT_EQ(OuterWidth(mainWindow->Hwnd()), fullWidth) << "round " << round;
        EXPECT_EQ(Width(mainWindow->Controls().listArea->Hwnd()), listWidth) << "round " << round;
        EXPECT_EQ(ColumnWidth(mainWindow->Controls().listView), listWidth - 16);
    }
}

TEST_F(MainWindow, CaptionsFollowActivation) {
    // Another program's window takes the activation, then ours gets it back.
    wchar_t exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe);
    dir.resize(dir.find_last_of(L'\\') + 1);
    std::wstring command = L"\"" + dir + L"activator.exe\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &si, &pi));
    auto inactive = [&] {
        return mainWindow->Controls().dropCaption->BackColorIndex() ==
                   COLOR_GRADIENTINACTIVECAPTION &&
               mainWindow->Controls().dragCaption->BackColorIndex() ==
                   COLOR_GRADIENTINACTIVECAPTION;
    };
    bool deactivated = Pump(inactive, 20000);
    HWND other = ::FindWindowW(L"TuckbayActivator", nullptr);
    if (other != nullptr)
        ::PostMessageW(other, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(pi.hProcess, 10000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    ASSERT_TRUE(deactivated);

    ::SetForegroundWindow(mainWindow->Hwnd());
    EXPECT_TRUE(Pump([&] {
        return mainWindow->Controls().dropCaption->BackColorIndex() == COLOR_ACTIVECAPTION &&
               mainWindow->Controls().dragCaption->BackColorIndex() == COLOR_ACTIVECAPTION;
    }));
}

// A window whose handler fails, as any handler of the program may.
class FailingWindow : public win::Window {
public:
    FailingWindow() {
        RegisterWindowClass(L"TuckbayFailingTestWindow", 0, COLOR_WINDOW);
        CreateNative(0, L"TuckbayFailingTestWindow", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                     nullptr);
    }
    ~FailingWindow() override {
        if (Hwnd() != nullptr)
            ::DestroyWindow(Hwnd());
    }
    int handled = 0;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_APP) {
            ++handled;
            if (wParam == 1)
                throw win::Error(L"ファイルを作成できません");
            if (wParam == 2)
                throw win::Error(L"It went wrong!");
        }
        return Window::HandleMessage(msg, wParam, lParam);
    }
};

TEST_F(MainWindow, AnErrorInAHandlerShowsTheStandardBoxAndTheProgramGoesOn) {
    FailingWindow window;
    ::PostMessageW(window.Hwnd(), WM_APP, 1, 0);
    ::PostMessageW(window.Hwnd(), WM_APP, 2, 0);
    ::PostMessageW(window.Hwnd(), WM_APP, 0, 0);
    ASSERT_TRUE(Pump([&] { return window.handled == 3; }));
    ASSERT_EQ(dialogs.errors.size(), 2u);
    EXPECT_EQ(dialogs.errors[0], L"ファイルを作成できません.");
    EXPECT_EQ(dialogs.errors[1], L"It went wrong!");

    // The hook of the message loop has the same boundary.
    app->SetMessageHook([](MSG& msg, bool&) {
        if (msg.message == WM_APP + 1)
            throw win::Error(L"hook failed");
    });
    ::PostMessageW(window.Hwnd(), WM_APP + 1, 0, 0);
    ::PostMessageW(window.Hwnd(), WM_APP, 0, 0);
    ASSERT_TRUE(Pump([&] { return window.handled == 4; }));
    ASSERT_EQ(dialogs.errors.size(), 3u);
    EXPECT_EQ(dialogs.errors[2], L"hook failed.");
}

TEST_F(MainWindow, TheLoopOffersEveryPostedMessageToTheHookFirst) {
    FailingWindow window;
    std::vector<UINT> seen;
    app->SetMessageHook([&](MSG& msg, bool& handled) {
        if (msg.hwnd != window.Hwnd())
            return;
        seen.push_back(msg.message);
        handled = msg.wParam == 7; // taken by the hook: never dispatched
    });
    ::PostMessageW(window.Hwnd(), WM_APP, 7, 0);
    ::PostMessageW(window.Hwnd(), WM_APP, 0, 0);
    ASSERT_TRUE(Pump([&] { return window.handled == 1; }));
    EXPECT_EQ(seen, (std::vector<UINT>{WM_APP, WM_APP}));
    // A sent message does not pass through the hook.
    ::SendMessageW(window.Hwnd(), WM_APP, 0, 0);
    EXPECT_EQ(window.handled, 2);
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(MainWindow, MinimisingGoesThroughTheApplicationWindow) {
    ::SendMessageW(mainWindow->Hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(::IsWindowVisible(mainWindow->Hwnd()));
    EXPECT_TRUE(::IsIconic(app->Handle()));
    // The taskbar button's Restore brings the main window back as it was.
    ::SendMessageW(app->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(::IsIconic(app->Handle()));
    EXPECT_TRUE(::IsWindowVisible(mainWindow->Hwnd()));
    EXPECT_TRUE(IsVisible(mainWindow->Controls().listArea->Hwnd()));
    // Its Close closes the main window.
    ::SendMessageW(app->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(Pump([&] { return mainWindow->Hwnd() == nullptr; }));
}

// Reads and dismisses the next box titled "Tuckbay" from a timer inside its modal loop.
struct BoxReader {
    static inline std::wstring text;
    static inline bool seen;
    static void Read(std::function<void()> show) {
        text.clear();
        seen = false;
        UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
            HWND box = ::FindWindowW(L"#32770", L"Tuckbay");
            if (box == nullptr)
                return;
            ::KillTimer(nullptr, id);
            seen = true;
            text = win::WindowText(::GetDlgItem(box, 0xFFFF));
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        show();
        ::KillTimer(nullptr, timer);
    }
};

TEST_F(MainWindow, TheRealBoxesCarryTheProgramsTitle) {
    app->SetDialogs(nullptr);
    BoxReader::Read([&] { app->ShowError(L"書き込めません"); });
    EXPECT_TRUE(BoxReader::seen);
    EXPECT_EQ(BoxReader::text, L"書き込めません.");
    BoxReader::Read(
        [&] { app->GetDialogs().ShowMessage(mainWindow->Hwnd(), L"ファイルリストが空です"); });
    EXPECT_TRUE(BoxReader::seen);
    EXPECT_EQ(BoxReader::text, L"ファイルリストが空です");
}

TEST_F(MainWindow, ErrorTextsComeFromTheSystem) {
    EXPECT_FALSE(win::SystemMessageText(ERROR_FILE_NOT_FOUND).empty());
    std::wstring text = win::SystemMessageText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'.');
    EXPECT_NE(text.back(), L'\n');
    // A code the system has no text for gets the fallback.
    EXPECT_EQ(win::OleErrorText(static_cast<HRESULT>(0x8004FFFF)), L"OLE エラー 8004FFFF");
}

} // namespace
} // namespace tuckbay::test
