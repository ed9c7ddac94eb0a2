// Every command of the main window reached the way a user reaches it: synthesised clicks and
// keys on the real window, menus opened from the menu bar, by a right click or from the
// keyboard, while the program's own message loop runs. ("ヘルプ" has its own test beside the
// help file's.)
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/send_to.h"
#include "clipboard_support.h"
#include "drag_kit.h"
#include "intake/shortcut.h"
#include "list_fixtures.h"
#include "main_window_fixture.h"
#include "program_copy.h"
#include "pump.h"
#include "win/controls.h"
#include "win/handles.h"
#include "win/program_path.h"

namespace tuckbay::test {
namespace {

// The command that shows path selected in a new folder window, as the shell actions make it.
std::wstring FolderCommandFor(const std::wstring& path) {
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    return L"\"" + std::wstring(windows) + L"\\explorer.exe\" /n, /e,/select,\"" + path + L"\"";
}

using Texts = std::vector<std::wstring>;
using Gesture = std::function<void(InputDriver&)>;

POINT ScreenCentre(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class UserRoute : public ShellRecordingTest {
protected:
    void SetUp() override {
        ShellRecordingTest::SetUp();
        ::SetWindowSubclass(mainWindow->Hwnd(), CountContextMenus, 1,
                            reinterpret_cast<DWORD_PTR>(&contextMenusDone));
    }
    void TearDown() override {
        ::RemoveWindowSubclass(mainWindow->Hwnd(), CountContextMenus, 1);
        ShellRecordingTest::TearDown();
    }
    // The window made again, as the program's next start makes it: nothing sorted, clicked or
    // focused yet, the settings and the kept list as the last one left them.
    void Restart() {
        mainWindow.reset();
        MakeWindow();
        mainWindow->SetShellRequests(&shell);
        ::SetWindowSubclass(mainWindow->Hwnd(), CountContextMenus, 1,
                            reinterpret_cast<DWORD_PTR>(&contextMenusDone));
    }

    // WM_CONTEXTMENU requests the main window has finished with, its menu closed again.
    static LRESULT CALLBACK CountContextMenus(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR count) {
        LRESULT result = ::DefSubclassProc(hwnd, msg, wParam, lParam);
        if (msg == WM_CONTEXTMENU)
            ++*reinterpret_cast<std::atomic<int>*>(count);
        return result;
    }

    // Runs the gesture on a driver thread while the program's loop runs here, then gives the
    // program time to finish what the gesture started.
    void Perform(const Gesture& gesture) {
        std::string failure = DriveInput(gesture, AppPump());
        EXPECT_EQ(failure, "");
        Pump([] { return false; }, 50);
    }

    static void Click(InputDriver& d, POINT at, bool right = false) {
        if (!d.MoveTo(at, "the pointer"))
            return;
        if (right) {
            d.RightDown();
            d.RightUp();
        } else {
            d.LeftDown();
            d.LeftUp();
        }
    }

    static Gesture ClickOn(HWND control) {
        return [control](InputDriver& d) { Click(d, ScreenCentre(control)); };
    }

    // A menu opened by open, then an item chosen by its keys.
    static Gesture Choose(const Gesture& open, std::vector<WORD> keys) {
        return [open, keys](InputDriver& d) {
            open(d);
            if (!d.WaitFor("the menu to open", [] { return OpenPopupMenu() != nullptr; }))
                return;
            for (WORD key : keys)
                d.Key(key);
            d.WaitFor("the menu to close", [] { return OpenPopupMenu() == nullptr; });
        };
    }

    static Gesture MenuBar(WORD access) {
        return [access](InputDriver& d) { d.Chord(VK_MENU, access); };
    }

    POINT ItemPoint(int index) { return ListItemPoint(mainWindow->Controls().listView, index); }

    // A click with Shift or Ctrl held, which leaves the rows expected selected.
    Gesture ClickItemWith(WORD modifier, int index, std::vector<int> expected) {
        HWND list = mainWindow->Controls().listView;
        return [=](InputDriver& d) { ClickListRowWith(d, list, index, modifier, expected); };
    }
    static Gesture Then(const Gesture& first, const Gesture& second) {
        return [first, second](InputDriver& d) {
            first(d);
            second(d);
        };
    }
    static Gesture Keys(WORD modifier, std::vector<WORD> keys) {
        return [modifier, keys](InputDriver& d) {
            for (WORD key : keys)
                modifier ? d.Chord(modifier, key) : d.Key(key);
        };
    }
    // The files a paste in another program takes.
    static Texts PastedFiles() {
        Texts files;
        for (const std::wstring& line : ReadFilesFromHelper()) {
            if (line.rfind(L"hdrop ", 0) == 0)
                files.push_back(line.substr(6));
        }
        return files;
    }
    Texts QuestionAfter(size_t count) {
        return Texts(dialogs.questions.begin() + static_cast<std::ptrdiff_t>(count),
                     dialogs.questions.end());
    }
    std::vector<int> SelectedRows() { return SelectedListRows(mainWindow->Controls().listView); }

    // The middle of a column's header item, on the screen.
    POINT HeaderPoint(int column) {
        RECT r{};
        HWND header = mainWindow->Part<filelist::ListPart>().Header().HeaderHandle();
        ::SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
        POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ::ClientToScreen(header, &at);
        return at;
    }
    // A file of size bytes.
    static void MakeFileOf(const std::wstring& path, DWORD size) {
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        const std::string bytes(size, 'x');
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), size, &written, nullptr);
        ::CloseHandle(file);
    }

    Gesture RightClickItem(int index) {
        POINT at = ItemPoint(index);
        return [at](InputDriver& d) { Click(d, at, true); };
    }

    // A fresh list with the item at index focused and selected, and the focus in the list: the
    // list shown, with no filter field and no captured files in its place.
    void ListOf(const Texts& paths, int focused = 0) {
        ListAreaShown(true);
        if (FilterFieldShown()) {
            ::SetWindowTextW(mainWindow->Controls().filterEdit, L""); // all of the list cleared
            ::PostMessageW(mainWindow->Controls().filterEdit, WM_CHAR, VK_ESCAPE, 0);
            ASSERT_TRUE(Pump([&] { return !FilterFieldShown(); }));
        }
        if (CapturePanelShown())
            ::SendMessageW(mainWindow->Controls().backToListButton, BM_CLICK, 0, 0);
        List().ShowColumns(filelist::DefaultColumns());
        List().Clear();
        for (const std::wstring& path : paths)
            List().AppendPath(path);
        List().UpdateCountDisplay();
        LVITEMW item{};
        item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        item.state = LVIS_FOCUSED | LVIS_SELECTED;
        ::SendMessageW(mainWindow->Controls().listView, LVM_SETITEMSTATE, focused,
                       reinterpret_cast<LPARAM>(&item));
        ::SetForegroundWindow(mainWindow->Hwnd());
        ::SetFocus(mainWindow->Controls().listView);
    }

    // The list of paths with nothing on the clipboard, so that what a row puts there is its own.
    void ListOfOnEmptyClipboard(const Texts& paths) {
        ListOf(paths);
        ASSERT_TRUE(::OpenClipboard(mainWindow->Hwnd()));
        ::EmptyClipboard();
        ::CloseClipboard();
        PumpPending();
    }

    // The filter field shown with text typed into it, and the filter done.
    void FilterBy(const wchar_t* text) {
        mainWindow->RunCommand(filelist::kIdFilter);
        ::SetWindowTextW(mainWindow->Controls().filterEdit, text);
        EXPECT_TRUE(Pump([&] { return !List().Filtering() && List().Filtered() == (*text != 0); }));
    }
    bool FilterFieldShown() const {
        return ::IsWindowVisible(mainWindow->Controls().filterEdit) != FALSE;
    }

    bool CapturePanelShown() const {
        return ::IsWindowVisible(mainWindow->Controls().capturePanel->Hwnd()) != FALSE;
    }

    // The "Preferred DropEffect" of files on the clipboard; 0 when it holds no files.
    DWORD ClipboardDropEffect() {
        DWORD effect = 0;
        if (::OpenClipboard(mainWindow->Hwnd())) {
            HANDLE data = ::GetClipboardData(::RegisterClipboardFormatW(L"Preferred DropEffect"));
            if (data != nullptr && ::IsClipboardFormatAvailable(CF_HDROP)) {
                effect = *static_cast<const DWORD*>(::GlobalLock(data));
                ::GlobalUnlock(data);
            }
            ::CloseClipboard();
        }
        return effect;
    }

    static bool Down(const win::SpeedButton& button) { return button.Down(); }
    // A state a row starts from, whatever rows before it left.
    // Switches are set as a click sets them, so that the program's settings follow.
    void Topmost(bool on) {
        if (mainWindow->Controls().topmostButton->Down() != on)
            ::SendMessageW(mainWindow->Controls().topmostButton->Hwnd(), BM_CLICK, 0, 0);
    }
    void ListAreaShown(bool shown) {
        mainWindow->Controls().listAreaButton->SetDown(shown);
        if (mainWindow->Controls().ListAreaShown() != shown)
            mainWindow->RunCommand(app::kIdListArea);
    }
    void Ticked(HWND box, bool ticked) {
        if (Checked(box) != ticked)
            ::SendMessageW(box, BM_CLICK, 0, 0);
    }
    void KeepList(bool on) {
        if (KeepListChecked() != on)
            mainWindow->RunCommand(filelist::kIdKeepList);
    }
    bool Checked(HWND box) const { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool KeepListChecked() const {
        return ::GetMenuState(mainWindow->Controls().mainMenu, filelist::kIdKeepList, MF_BYCOMMAND) &
               MF_CHECKED;
    }
    std::wstring ClipboardText() {
        std::wstring text;
        if (::OpenClipboard(mainWindow->Hwnd())) {
            if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
                text = static_cast<const wchar_t*>(::GlobalLock(data));
                ::GlobalUnlock(data);
            }
            ::CloseClipboard();
        }
        return text;
    }

    // The list's menu opened by a right click on row, "エクスプローラーのメニュー(&E)" chosen, key
    // pressed in the shell's menu that opens in its place (its corner where the click was), then
    // answer run.
    Gesture ShellMenuKey(
        int row, WORD key, const Gesture& answer = [](InputDriver&) {}) {
        HMENU listMenu = mainWindow->Controls().listMenu;
        const POINT at = ItemPoint(row);
        return [listMenu, at, key, answer](InputDriver& d) {
            Click(d, at, true);
            if (!d.WaitFor("the list's menu", [] { return OpenPopupMenu() != nullptr; }))
                return;
            d.Key('E');
            if (!d.WaitFor("the shell's menu", [listMenu] {
                    HWND popup = OpenPopupMenu();
                    return popup && reinterpret_cast<HMENU>(
                                        ::SendMessageW(popup, MN_GETHMENU, 0, 0)) != listMenu;
                }))
                return;
            RECT place{};
            ::GetWindowRect(OpenPopupMenu(), &place);
            d.Key(key);
            if (d.WaitFor("the shell's menu to close", [] { return OpenPopupMenu() == nullptr; }))
                answer(d);
            // Told last: a failure stops every later wait, and the answer must still be given.
            if (d.failure.empty() && (place.left != at.x || place.top != at.y))
                d.failure = "the shell's menu opened at " + std::to_string(place.left) + "," +
                            std::to_string(place.top) + ", the click was at " +
                            std::to_string(at.x) + "," + std::to_string(at.y);
        };
    }
    // The files on the clipboard as the shell names them (Wine's CF_HDROP of a shell data
    // object lists drive roots only).
    static Texts ClipboardShellFiles() {
        Microsoft::WRL::ComPtr<IDataObject> data;
        return SUCCEEDED(::OleGetClipboard(&data)) ? ShellIdListPaths(data.Get()) : Texts{};
    }

    // Declared before the window goes, as the fixture's own state is.
    std::atomic<int> contextMenusDone{0};
};

TEST_F(UserRoute, EveryCommandAnswersTheUsersClickKeyOrMenu) {
    const std::wstring exe = win::ProgramPath();
    const std::wstring program = win::BesideProgram(L"tuckbay.exe");
    struct Route {
        const char* what;
        std::function<void()> prepare;
        std::function<Gesture()> gesture;
        std::function<bool()> effect;
    };
    size_t count = 0;
    TempFolder files;
    const std::wstring saved = files.Path(L"saved.lst");
    const std::wstring link = files.Path(L"program.lnk");
    const std::wstring doomed = files.Path(L"deleted by the shell.txt");
    const std::wstring copied = files.Path(L"copied by the shell.txt");
    auto Touch = [](const std::wstring& path) {
        win::FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
    };
    bool greyed = false;
    const std::vector<Route> routes = {
        {"元に戻す(&U), greyed with nothing to undo",
         [&] {
             ListOf({L"C:\\a.txt"});
             List().Clear();
             List().Undo(); // the one step there was
         },
         [&] {
             HMENU menu = ::GetMenu(mainWindow->Hwnd());
             return Gesture([menu, &greyed](InputDriver& d) {
                 d.Chord(VK_MENU, 'L');
                 if (!d.WaitFor("the menu to open", [] { return OpenPopupMenu() != nullptr; }))
                     return;
                 greyed = (::GetMenuState(menu, filelist::kIdUndo, MF_BYCOMMAND) & MF_GRAYED) != 0;
                 d.Key(VK_ESCAPE);
                 d.Key(VK_ESCAPE);
                 d.WaitFor("the menu to close", [] { return OpenPopupMenu() == nullptr; });
             });
         },
         [&] { return greyed; }},
        {"元に戻す(&U) after a removal",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt"});
             List().RemoveAt(1);
         },
         [&] { return Choose(MenuBar('L'), {'U'}); },
         [&] {
             return List().AllPaths() == Texts{L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt"} &&
                    CountText() == L"3";
         }},
        {"Ctrl+Z after リストクリア",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt"});
             List().Clear();
         },
         [] { return [](InputDriver& d) { d.Chord(VK_CONTROL, 'Z'); }; },
         [&] {
             return List().AllPaths() == Texts{L"C:\\a.txt", L"C:\\b.txt"};
         }},
        {"移動", [&] { mainWindow->Controls().copyModeButton->SetDown(true); },
         [&] { return ClickOn(mainWindow->Controls().moveModeButton->Hwnd()); },
         [&] {
             return Down(*mainWindow->Controls().moveModeButton) &&
                    !Down(*mainWindow->Controls().copyModeButton);
         }},
        {"コピー", [&] { mainWindow->Controls().moveModeButton->SetDown(true); },
         [&] { return ClickOn(mainWindow->Controls().copyModeButton->Hwnd()); },
         [&] {
             return Down(*mainWindow->Controls().copyModeButton) &&
                    !Down(*mainWindow->Controls().moveModeButton);
         }},
        {"リストクリア",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt"});
         },
         [&] { return ClickOn(mainWindow->Controls().clearListButton->Hwnd()); },
         [&] { return List().Count() == 0 && CountText() == L"0"; }},
        {"ショート変換, off: a dropped shortcut is listed as itself",
         [&] {
             ListOf({});
             mainWindow->Controls().shortcutButton->SetDown(true);
             SaveShortcutTo(link, exe);
         },
         [&] { return ClickOn(mainWindow->Controls().shortcutButton->Hwnd()); },
         [&] {
             DropOn(mainWindow->Controls().dropZone->Hwnd(), {link});
             return List().AllPaths() == Texts{link};
         }},
        {"ファイルリスト, hiding the list", [&] { ListAreaShown(true); },
         [&] { return ClickOn(mainWindow->Controls().listAreaButton->Hwnd()); },
         [&] { return !::IsWindowVisible(mainWindow->Controls().listArea->Hwnd()); }},
        {"ファイルリスト, showing it again", [&] { ListAreaShown(false); },
         [&] { return ClickOn(mainWindow->Controls().listAreaButton->Hwnd()); },
         [&] { return ::IsWindowVisible(mainWindow->Controls().listArea->Hwnd()) != FALSE; }},
        {"最前面, off", [&] { Topmost(true); },
         [&] { return ClickOn(mainWindow->Controls().topmostButton->Hwnd()); },
         [&] { return !IsTopmost() && !Down(*mainWindow->Controls().topmostButton); }},
        {"最前面, on", [&] { Topmost(false); },
         [&] { return ClickOn(mainWindow->Controls().topmostButton->Hwnd()); },
         [&] { return IsTopmost() && Down(*mainWindow->Controls().topmostButton); }},
        {"the x key",
         [&] {
             ListOf({});
             Topmost(true);
         },
         [] { return [](InputDriver& d) { d.Key('X'); }; },
         [&] { return !IsTopmost() && !Down(*mainWindow->Controls().topmostButton); }},
        {"the z key",
         [&] {
             ListOf({});
             Topmost(false);
         },
         [] { return [](InputDriver& d) { d.Key('Z'); }; },
         [&] { return IsTopmost() && Down(*mainWindow->Controls().topmostButton); }},
        {"ファイルリストへのドロップを許可, unticked: a file dropped on the list is refused",
         [&] {
             ListOf({});
             Ticked(mainWindow->Controls().allowListDropsBox, true);
             count = dialogs.warnings.size();
         },
         [&] { return ClickOn(mainWindow->Controls().allowListDropsBox); },
         [&] {
             DropOn(mainWindow->Controls().listArea->Hwnd(), {exe});
             return List().Count() == 0 && dialogs.warnings.size() == count + 1;
         }},
        {"Ctrl+Cを監視する, unticked: files another program copies are not captured",
         [&] {
             ListOf({});
             Ticked(mainWindow->Controls().watchClipboardBox, true);
         },
         [&] { return ClickOn(mainWindow->Controls().watchClipboardBox); },
         [&] {
             if (PutFilesFromHelper(L"copy", {exe}) != 0)
                 return false;
             ::SendMessageW(mainWindow->Hwnd(), WM_DRAWCLIPBOARD, 0, 0);
             return !CapturePanelShown();
         }},
        {"the list's header",
         [&] {
             Restart(); // a column's first sort descends
             ListOf({L"C:\\a.txt", L"C:\\c.txt", L"C:\\b.txt"});
         },
         [&] {
             RECT r{};
             HWND header = mainWindow->Part<filelist::ListPart>().Header().HeaderHandle();
             ::SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
             POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
             ::ClientToScreen(header, &at);
             return Gesture([at](InputDriver& d) { Click(d, at); });
         },
         [&] {
             return List().AllPaths() == Texts{L"C:\\c.txt", L"C:\\b.txt", L"C:\\a.txt"};
         }},
        // The header's menu of columns: "ファイル名" first, always ticked and greyed.
        {"名前 from the header's menu by a right click",
         [&] {
             ListOf({exe, L"C:\\gone-from-the-columns.txt"});
         },
         [&] {
             const POINT at = HeaderPoint(0);
             return Choose([at](InputDriver& d) { Click(d, at, true); },
                           {VK_DOWN, VK_DOWN, VK_RETURN});
         },
         [&] {
             return ShownText(0, 1) == L"tuckbay_wintests.exe" &&
                    ShownText(1, 1) == L"gone-from-the-columns.txt";
         }},
        {"サイズ from the header's menu, then a click on its header: by size, largest first",
         [&] {
             MakeFileOf(files.Path(L"small.txt"), 10);
             MakeFileOf(files.Path(L"large.txt"), 3000);
             MakeFileOf(files.Path(L"middle.txt"), 1500);
             Restart();
             ListOf({files.Path(L"small.txt"), L"C:\\gone-by-size.txt", files.Path(L"large.txt"),
                     files.Path(L"middle.txt")});
         },
         [&] {
             const POINT header = HeaderPoint(0);
             return Then(Choose([header](InputDriver& d) { Click(d, header, true); },
                                {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}),
                         [this](InputDriver& d) {
                             if (d.WaitFor("the size column", [this] {
                                     return Header_GetItemCount(
                                                mainWindow->Part<filelist::ListPart>().Header().HeaderHandle()) == 2;
                                 }))
                                 Click(d, HeaderPoint(1));
                         });
         },
         [&] {
             Pump([&] { return !List().Sorting(); });
             return List().AllPaths() == Texts{files.Path(L"large.txt"), files.Path(L"middle.txt"),
                                               files.Path(L"small.txt"), L"C:\\gone-by-size.txt"} &&
                    ShownText(0, 1) == L"3 KB" && ShownText(2, 1) == L"1 KB" &&
                    ShownText(3, 1) == L"";
         }},
        {"種類, 更新日時 and フォルダー from the header's menu, then 種類 again: it goes",
         [&] {
             ListOf({exe, L"C:\\gone-by-date.txt"});
         },
         [&] {
             const POINT at = HeaderPoint(0);
             auto item = [at](int downs) {
                 std::vector<WORD> keys(static_cast<size_t>(downs), VK_DOWN);
                 keys.push_back(VK_RETURN);
                 return Choose([at](InputDriver& d) { Click(d, at, true); }, keys);
             };
             // The menu's items in order: ファイル名, 名前, フォルダー, サイズ, 更新日時, 種類.
             return Then(Then(item(6), item(5)), Then(item(3), item(6)));
         },
         [&] {
             return Header_GetItemCount(mainWindow->Part<filelist::ListPart>().Header().HeaderHandle()) == 3 &&
                    !ShownText(0, 1).empty() && ShownText(1, 1).empty() &&
                    ShownText(0, 2) == exe.substr(0, exe.rfind(L'\\'));
         }},
        {"リスト保存(&S), a file of the list's lines",
         [&] {
             ListOf({exe, L"C:\\b.txt"});
             dialogs.saveAnswer = saved;
             ::DeleteFileW(saved.c_str());
         },
         [&] { return Choose(MenuBar('L'), {'S'}); },
         [&] {
             return ReadBytes(saved).value_or("") == win::ToCodePage(exe) + "\r\nC:\\b.txt\r\n";
         }},
        {"クリップ出力(&V)",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt"});
         },
         [&] { return Choose(MenuBar('L'), {'V'}); },
         [&] { return ClipboardText() == L"C:\\a.txt\r\nC:\\b.txt\r\n"; }},
        {"クリップ取り込み(&W)",
         [&] {
             ListOf({});
             PutText(mainWindow->Hwnd(), exe + L"\r\n");
         },
         [&] { return Choose(MenuBar('L'), {'W'}); },
         [&] { return List().AllPaths() == Texts{exe}; }},
        {"ファイルのプロパティ(&P)",
         [&] {
             ListOf({L"C:\\a.txt", exe}, 1);
             shell.properties.clear();
         },
         [&] { return Choose(MenuBar('L'), {'P'}); },
         [&] { return shell.properties == Texts{exe}; }},
        {"フォルダを開く(&F), the focused file selected in its folder",
         [&] {
             ListOf({L"C:\\a.txt", exe}, 1);
             shell.commands.clear();
         },
         [&] { return Choose(MenuBar('L'), {'F'}); },
         [&] { return shell.commands == Texts{FolderCommandFor(exe)}; }},
        // The list menu's last items, reached from its end.
        {"存在しないファイルを削除",
         [&] {
             ListOf({exe, L"C:\\gone-by-the-menu.txt"});
             dialogs.confirmAnswers = {true};
         },
         [&] {
             return Choose(MenuBar('L'), {VK_UP, VK_UP, VK_RETURN});
         },
         [&] { return List().AllPaths() == Texts{exe}; }},
        {"終了時にリストを保持, off",
         [&] {
             ListOf({exe});
             KeepList(true);
         },
         [&] {
             return Choose(MenuBar('L'), {VK_UP, VK_RETURN});
         },
         [&] { return !KeepListChecked(); }},
        {"ファイルとしてコピー(&C)", [&] { ListOfOnEmptyClipboard({exe}); },
         [&] { return Choose(MenuBar('L'), {'C'}); },
         [&] {
             return ClipboardDropEffect() == 5 && PastedFiles() == Texts{exe} &&
                    !CapturePanelShown();
         }},
        {"ファイルとして切り取り(&X)", [&] { ListOfOnEmptyClipboard({exe}); },
         [&] { return Choose(MenuBar('L'), {'X'}); },
         [&] {
             return ClipboardDropEffect() == 2 && PastedFiles() == Texts{exe} &&
                    !CapturePanelShown();
         }},
        {"Ctrl+C on the list", [&] { ListOfOnEmptyClipboard({exe}); },
         [] { return [](InputDriver& d) { d.Chord(VK_CONTROL, 'C'); }; },
         [&] {
             return ClipboardDropEffect() == 5 && PastedFiles() == Texts{exe} &&
                    !CapturePanelShown();
         }},
        {"Ctrl+X on the list", [&] { ListOfOnEmptyClipboard({exe}); },
         [] { return [](InputDriver& d) { d.Chord(VK_CONTROL, 'X'); }; },
         [&] {
             return ClipboardDropEffect() == 2 && PastedFiles() == Texts{exe} &&
                    !CapturePanelShown();
         }},
        // Several rows selected and acted on, each with one question.
        {"Ctrl+click adding a row, then Ctrl+C: the selected files on the clipboard",
         [&] {
             ListOf({program, L"C:\\not-selected.txt", exe}, 0);
         },
         [&] {
             return Then(ClickItemWith(VK_CONTROL, 2, {0, 2}), Keys(VK_CONTROL, {'C'}));
         },
         [&] {
             return PastedFiles() == Texts{program, exe};
         }},
        {"Ctrl+click, then ファイルとして切り取り(&X) by a right click on the selection",
         [&] {
             ListOf({exe, L"C:\\not-selected.txt", program}, 2);
         },
         [&] {
             return Then(ClickItemWith(VK_CONTROL, 0, {0, 2}), Choose(RightClickItem(2), {'X'}));
         },
         [&] {
             return ClipboardDropEffect() == 2 && PastedFiles() == Texts{exe, program};
         }},
        {"Ctrl+click, then ファイルとしてコピー(&C) by a right click on the selection",
         [&] {
             ListOf({exe, L"C:\\not-selected.txt", program}, 2);
         },
         [&] {
             return Then(ClickItemWith(VK_CONTROL, 0, {0, 2}), Choose(RightClickItem(2), {'C'}));
         },
         [&] {
             return ClipboardDropEffect() == 5 && PastedFiles() == Texts{exe, program};
         }},
        {"Shift+click, then リストから削除(&D) by a right click on the selection",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt", L"C:\\d.txt", L"C:\\e.txt"}, 1);
             dialogs.confirmAnswers = {true};
             count = dialogs.questions.size();
         },
         [&] {
             return Then(ClickItemWith(VK_SHIFT, 3, {1, 2, 3}), Choose(RightClickItem(2), {'D'}));
         },
         [&] {
             return List().AllPaths() == Texts{L"C:\\a.txt", L"C:\\e.txt"} &&
                    QuestionAfter(count) == Texts{L"選択した 3 件をリストから削除しますか？"};
         }},
        {"Shift+Down twice, then Delete",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt", L"C:\\d.txt"}, 0);
             dialogs.confirmAnswers = {true};
             count = dialogs.questions.size();
         },
         [&] {
             return Then(Keys(VK_SHIFT, {VK_DOWN, VK_DOWN}), Keys(0, {VK_DELETE}));
         },
         [&] {
             return List().AllPaths() == Texts{L"C:\\d.txt"} &&
                    QuestionAfter(count) == Texts{L"選択した 3 件をリストから削除しますか？"};
         }},
        {"Ctrl+A, then Delete answered いいえ: nothing goes",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt"}, 1);
             dialogs.confirmAnswers = {false};
             count = dialogs.questions.size();
         },
         [&] { return Then(Keys(VK_CONTROL, {'A'}), Keys(0, {VK_DELETE})); },
         [&] {
             return List().AllPaths() == Texts{L"C:\\a.txt", L"C:\\b.txt"} &&
                    QuestionAfter(count) == Texts{L"選択した 2 件をリストから削除しますか？"};
         }},
        {"Ctrl+Z after a selection was removed: back in place, and selected",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt", L"C:\\d.txt"}, 1);
             LVITEMW item{};
             item.stateMask = item.state = LVIS_SELECTED;
             ::SendMessageW(mainWindow->Controls().listView, LVM_SETITEMSTATE, 3,
                            reinterpret_cast<LPARAM>(&item));
             List().RemoveSelected();
         },
         [] { return Keys(VK_CONTROL, {'Z'}); },
         [&] {
             return List().AllPaths() ==
                        Texts{L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt", L"C:\\d.txt"} &&
                    SelectedRows() == std::vector<int>{1, 3};
         }},
        // The filter field, and what acts on the shown entries only.
        {"Ctrl+F and typing: only the entries with every word shown, counted as such",
         [&] {
             ListOf({L"C:\\docs\\report 2024.doc", L"C:\\docs\\notes.txt",
                     L"C:\\old\\Report 2023.doc", L"C:\\old\\2024 photo.jpg"});
         },
         [] {
             return Then(Keys(VK_CONTROL, {'F'}),
                         Keys(0, {'R', 'E', 'P', 'O', 'R', 'T', VK_SPACE, '2', '0', '2', '4'}));
         },
         [&] {
             return ViewTexts(mainWindow->Controls().listView) ==
                        Texts{L"C:\\docs\\report 2024.doc"} &&
                    CountText() == L"1" &&
                    win::WindowText(mainWindow->Controls().filterCount) == L"1 / 4 件";
         }},
        {"z and x typed in the filter field are typed, not the window's keys",
         [&] {
             ListOf({L"C:\\a.xz", L"C:\\b.txt"});
             Topmost(false);
             FilterBy(L"");
         },
         // The window's z would leave it topmost.
         [] {
             return Keys(0, {'X', 'Z'});
         },
         [&] {
             return win::WindowText(mainWindow->Controls().filterEdit) == L"xz" && !IsTopmost() &&
                    List().AllPaths() == Texts{L"C:\\a.xz"};
         }},
        {"Esc in the filter field: everything shown again",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.doc"});
             FilterBy(L"doc");
         },
         [] { return Keys(0, {VK_ESCAPE}); },
         [&] {
             return List().AllPaths() == Texts{L"C:\\a.txt", L"C:\\b.doc"} && FilterFieldShown() &&
                    CountText() == L"2";
         }},
        {"Esc in the empty filter field: the field hidden, the focus on the list",
         [&] {
             ListOf({L"C:\\a.txt"});
             FilterBy(L"");
         },
         [] { return Keys(0, {VK_ESCAPE}); },
         [&] { return !FilterFieldShown() && ::GetFocus() == mainWindow->Controls().listView; }},
        {"Ctrl+F while the captured files stand where the list is: the capture stays",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt"});
             Ticked(mainWindow->Controls().watchClipboardBox, true);
             ASSERT_EQ(PutFilesFromHelper(L"copy", {exe}), 0u);
             ::SendMessageW(mainWindow->Hwnd(), WM_DRAWCLIPBOARD, 0, 0);
             ASSERT_TRUE(CapturePanelShown());
         },
         [] { return Keys(VK_CONTROL, {'F'}); },
         [&] {
             return CapturePanelShown() && !FilterFieldShown() && !List().Filtered() &&
                    List().AllPaths() == Texts{L"C:\\a.txt", L"C:\\b.txt"};
         }},
        {"絞り込み(&I): the filter field shown with the focus in it",
         [&] { ListOf({L"C:\\a.txt"}); }, [&] { return Choose(MenuBar('L'), {'I'}); },
         [&] { return FilterFieldShown() && ::GetFocus() == mainWindow->Controls().filterEdit; }},
        {"Shift+Tab from the list: the filter field, in the Tab ring while shown",
         [&] {
             ListOf({L"C:\\a.txt"});
             FilterBy(L"");
             ::SetFocus(mainWindow->Controls().listView);
         },
         [] { return Keys(VK_SHIFT, {VK_TAB}); },
         [&] { return ::GetFocus() == mainWindow->Controls().filterEdit; }},
        {"クリップ出力(&V) while filtered: only the shown paths",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.doc", L"C:\\c.txt"});
             FilterBy(L"txt");
         },
         [&] { return Choose(MenuBar('L'), {'V'}); },
         [&] { return ClipboardText() == L"C:\\a.txt\r\nC:\\c.txt\r\n"; }},
        {"リストクリア while filtered: only the shown entries go",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.doc", L"C:\\c.txt"});
             FilterBy(L"txt");
         },
         [&] { return ClickOn(mainWindow->Controls().clearListButton->Hwnd()); },
         [&] {
             return List().Count() == 0 && CountText() == L"0" &&
                    List().Model().Texts() == Texts{L"C:\\b.doc"};
         }},
        {"元に戻す(&U) after リストクリア while filtered: the cleared entries back in place",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.doc", L"C:\\c.txt"});
             FilterBy(L"txt");
             List().Clear();
         },
         [&] { return Choose(MenuBar('L'), {'U'}); },
         [&] {
             return !List().Filtering() &&
                    List().Model().Texts() == Texts{L"C:\\a.txt", L"C:\\b.doc", L"C:\\c.txt"} &&
                    List().AllPaths() == Texts{L"C:\\a.txt", L"C:\\c.txt"};
         }},
        // Opening: every selected file with its own program, as a double click in the shell.
        {"Ctrl+click adding a row, then Enter: the selected files opened",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt"}, 0);
             shell.openedWithDefault.clear();
         },
         [&] {
             return Then(ClickItemWith(VK_CONTROL, 2, {0, 2}), Keys(0, {VK_RETURN}));
         },
         [&] {
             return shell.openedWithDefault == Texts{L"C:\\a.txt", L"C:\\c.txt"};
         }},
        {"a double click on the focused row: its file opened, and no editor after the click",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt"}, 1);
             shell.openedWithDefault.clear();
         },
         [&] {
             POINT at = ItemPoint(1);
             return Gesture([at](InputDriver& d) {
                 Click(d, at);
                 Click(d, at);
             });
         },
         [&] {
             HWND list = mainWindow->Controls().listView;
             // The view starts its editor a double-click time after a click on the selected
             // row, unless a second click made it a double click.
             return shell.openedWithDefault == Texts{L"C:\\b.txt"} &&
                    !Pump([list] { return ::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0) != 0; },
                          ::GetDoubleClickTime() * 2);
         }},
        {"開く(&H), the menu's default item, on 16 files: asked first, then all opened",
         [&] {
             Texts sixteen;
             for (int i = 0; i < 16; ++i)
                 sixteen.push_back(L"C:\\" + std::to_wstring(i) + L".txt");
             ListOf(sixteen, 0);
             List().SelectAll();
             shell.openedWithDefault.clear();
             dialogs.confirmAnswers = {true};
             count = dialogs.questions.size();
         },
         [&] {
             return Then(RightClickItem(3), [](InputDriver& d) {
                 if (!d.WaitFor("the menu to open", [] { return OpenPopupMenu() != nullptr; }))
                     return;
                 HMENU menu =
                     reinterpret_cast<HMENU>(::SendMessageW(OpenPopupMenu(), MN_GETHMENU, 0, 0));
                 if (::GetMenuDefaultItem(menu, FALSE, 0) != filelist::kIdOpenSelected)
                     d.failure = "開く is not the menu's default item";
                 d.Key('H');
                 d.WaitFor("the menu to close", [] { return OpenPopupMenu() == nullptr; });
             });
         },
         [&] {
             return QuestionAfter(count) == Texts{L"16 個のファイルを開きますか？"} &&
                    shell.openedWithDefault.size() == 16 &&
                    shell.openedWithDefault.back() == L"C:\\15.txt";
         }},
        {"Enter on files of which some cannot be opened: the others opened, the rest named",
         [&] {
             Texts thirteen;
             for (int i = 0; i < 13; ++i)
                 thirteen.push_back(L"C:\\refused\\" + std::to_wstring(i) + L".txt");
             ListOf(thirteen, 0);
             List().SelectAll();
             shell.openedWithDefault.clear();
             shell.refused = Texts(thirteen.begin() + 1, thirteen.end());
             count = dialogs.errors.size();
         },
         [] { return Keys(0, {VK_RETURN}); },
         [&] {
             if (shell.openedWithDefault.size() != 13 || dialogs.errors.size() != count + 1)
                 return false;
             const std::wstring& error = dialogs.errors.back();
             return error.find(L"\"C:\\refused\\10.txt\"") != std::wstring::npos &&
                    error.find(L"\"C:\\refused\\11.txt\"") == std::wstring::npos &&
                    error.find(L"\"C:\\refused\\0.txt\"") == std::wstring::npos &&
                    error.find(L"ほか 2 件") != std::wstring::npos;
         }},
        // The shell's own menu, where the list's was; Wine's has 開く, 切り取り, コピー, 削除,
        // プロパティ and a few more.
        {"エクスプローラーのメニュー(&E), then its 削除(&D): the file gone, its row grey",
         [&] {
             Touch(doomed);
             ListOf({exe, doomed}, 1);
         },
         [&] {
             return ShellMenuKey(1, 'D', [](InputDriver& d) {
                 auto question = [] { return ::FindWindowW(L"#32770", L"ファイルの削除の確認"); };
                 if (!d.WaitFor("the shell's question", [&] {
                         return question() && ::GetForegroundWindow() == question();
                     })) {
                     // A box left open would hold the test's own loop for ever.
                     if (HWND box = question())
                         ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
                     return;
                 }
                 d.Key('Y');
                 d.WaitFor("the question to close", [&] { return !question(); });
             });
         },
         [&] {
             return ::GetFileAttributesW(doomed.c_str()) == INVALID_FILE_ATTRIBUTES &&
                    List().KnownMissing(1) == true && List().KnownMissing(0) == false;
         }},
        {"エクスプローラーのメニュー(&E) on files of two folders, then its コピー(&C)",
         [&] {
             Touch(copied);
             ListOf({exe, copied}, 0);
             List().SelectAll();
         },
         [&] { return ShellMenuKey(1, 'C'); },
         [&] {
             return ClipboardShellFiles() == Texts{exe, copied} && !CapturePanelShown();
         }},
        {"エクスプローラーのメニュー(&E) on a selection with a missing file: named, no menu",
         [&] {
             ListOf({exe, L"C:\\gone-from-the-shell-menu.txt"}, 0);
             List().SelectAll();
             count = dialogs.errors.size();
         },
         [&] { return Choose(RightClickItem(1), {'E'}); },
         [&] {
             return dialogs.errors.size() == count + 1 &&
                    dialogs.errors.back().find(L"\"C:\\gone-from-the-shell-menu.txt\"") !=
                        std::wstring::npos &&
                    OpenPopupMenu() == nullptr;
         }},
        {"「送る」メニューに登録",
         [&] {
             ListOf({});
             ::DeleteFileW((app::SendToFolder() + L"\\Tuckbay.lnk").c_str());
         },
         // Third from the menu's end, above the two items for missing files and the kept list.
         [&] {
             return Choose(MenuBar('L'), {VK_UP, VK_UP, VK_UP, VK_RETURN});
         },
         [&] {
             return !dialogs.messages.empty() &&
                    dialogs.messages.back() == L"「送る」メニューに登録しました" &&
                    intake::ResolveShortcut(app::SendToFolder() + L"\\Tuckbay.lnk") == exe;
         }},
        {"バージョン情報", [&] { ListOf({}); },
         [&] {
             HWND box = mainWindow->Part<app::ProgramPart>().About().Handle();
             return Gesture([box](InputDriver& d) {
                 Choose(MenuBar('H'), {VK_DOWN, VK_RETURN})(d);
                 if (d.WaitFor("the about box", [box] { return ::IsWindowVisible(box) != FALSE; }))
                     ::PostMessageW(box, WM_CLOSE, 0, 0);
                 d.WaitFor("the about box to close", [box] { return !::IsWindowVisible(box); });
             });
         },
         [&] { return ::IsWindowEnabled(mainWindow->Hwnd()) != FALSE; }},
        {"リストから削除(&D) by a right click",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt"}, 1);
             dialogs.confirmAnswers = {true};
         },
         [&] { return Choose(RightClickItem(1), {'D'}); },
         [&] {
             return List().AllPaths() == Texts{L"C:\\a.txt", L"C:\\c.txt"} &&
                    dialogs.questions.back() == L"C:\\b.txtをリストから削除しますか？";
         }},
        {"プロパティ(&P) by a right click",
         [&] {
             ListOf({exe, L"C:\\b.txt"}, 0);
             shell.properties.clear();
         },
         [&] { return Choose(RightClickItem(0), {'P'}); },
         [&] { return shell.properties == Texts{exe}; }},
        {"フォルダを開く(&O) by a right click",
         [&] {
             ListOf({L"C:\\b.txt", exe}, 1);
             shell.commands.clear();
         },
         [&] { return Choose(RightClickItem(1), {'O'}); },
         [&] { return shell.commands == Texts{FolderCommandFor(exe)}; }},
        {"存在しないファイルを削除 by a right click",
         [&] {
             ListOf({L"C:\\gone-by-the-list-menu.txt", exe}, 1);
             dialogs.confirmAnswers = {true};
         },
         [&] {
             return Choose(RightClickItem(1), {VK_UP, VK_RETURN});
         },
         [&] { return List().AllPaths() == Texts{exe}; }},
        {"リストから削除(&D) by Shift+F10",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt"}, 0);
             dialogs.confirmAnswers = {true};
         },
         [&] { return Choose([](InputDriver& d) { d.Chord(VK_SHIFT, VK_F10); }, {'D'}); },
         [&] { return List().AllPaths() == Texts{L"C:\\b.txt"}; }},
        {"リストから削除(&D) by the menu key",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt"}, 1);
             dialogs.confirmAnswers = {true};
         },
         [&] { return Choose([](InputDriver& d) { d.Key(VK_APPS); }, {'D'}); },
         [&] { return List().AllPaths() == Texts{L"C:\\a.txt"}; }},
        {"Delete on the list",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt"}, 1);
             dialogs.confirmAnswers = {true};
         },
         [] { return [](InputDriver& d) { d.Key(VK_DELETE); }; },
         [&] {
             return List().AllPaths() == Texts{L"C:\\a.txt", L"C:\\c.txt"} &&
                    dialogs.questions.back() == L"C:\\b.txtをリストから削除しますか？";
         }},
        {"F2 on the list, and Delete inside its editor",
         [&] {
             ListOf({L"C:\\a.txt", L"C:\\b.txt"}, 1);
             count = dialogs.questions.size();
         },
         [&] {
             HWND list = mainWindow->Controls().listView;
             return Gesture([list](InputDriver& d) {
                 d.Key(VK_F2);
                 auto editing = [list] { return ::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0); };
                 if (!d.WaitFor("the editor", [&] { return editing() != 0; }))
                     return;
                 // The key edits the text: it removes no item.
                 d.Key(VK_DELETE);
                 d.Key(VK_ESCAPE);
                 d.WaitFor("the editor to close", [&] { return editing() == 0; });
             });
         },
         [&] {
             return List().AllPaths() == Texts{L"C:\\a.txt", L"C:\\b.txt"} &&
                    dialogs.questions.size() == count;
         }},
        {"a right click on the left strip opens no menu", [&] { count = contextMenusDone; },
         [&] {
             HWND strip = mainWindow->Controls().leftStrip->Hwnd();
             const int start = contextMenusDone;
             return Gesture([this, strip, start](InputDriver& d) {
                 Click(d, ScreenCentre(strip), true);
                 d.WaitFor("the request handled",
                           [this, start] { return contextMenusDone > start; });
             });
         },
         [&] { return contextMenusDone > static_cast<int>(count) && OpenPopupMenu() == nullptr; }},
        {"ファイルリストへ登録する",
         [&] {
             ListOf({});
             Ticked(mainWindow->Controls().watchClipboardBox, true);
             ASSERT_EQ(PutFilesFromHelper(L"copy", {exe}), 0u);
             ASSERT_TRUE(Pump([&] { return CapturePanelShown(); }));
         },
         [&] { return ClickOn(mainWindow->Controls().addCapturedButton); },
         [&] { return !CapturePanelShown() && List().AllPaths() == Texts{exe}; }},
        {"the capture memo keeps its own menu",
         [&] {
             ListOf({});
             Ticked(mainWindow->Controls().watchClipboardBox, true);
             ASSERT_EQ(PutFilesFromHelper(L"copy", {exe}), 0u);
             ASSERT_TRUE(Pump([&] { return CapturePanelShown(); }));
         },
         [&] {
             HWND memo = mainWindow->Controls().captureMemo;
             return Gesture([memo](InputDriver& d) {
                 Click(d, ScreenCentre(memo), true);
                 if (!d.WaitFor("the memo's menu", [] { return OpenPopupMenu() != nullptr; }))
                     return;
                 HMENU menu =
                     reinterpret_cast<HMENU>(::SendMessageW(OpenPopupMenu(), MN_GETHMENU, 0, 0));
                 if (::GetMenuItemID(menu, 0) == filelist::kIdOpenSelected)
                     d.failure = "the list's menu opened on the memo";
                 d.Key(VK_ESCAPE);
                 d.WaitFor("the menu to close", [] { return OpenPopupMenu() == nullptr; });
             });
         },
         [&] { return CapturePanelShown(); }},
        {"ファイルリストへ戻る",
         [&] {
             ListOf({});
             Ticked(mainWindow->Controls().watchClipboardBox, true);
             ASSERT_EQ(PutFilesFromHelper(L"copy", {exe}), 0u);
             ASSERT_TRUE(Pump([&] { return CapturePanelShown(); }));
         },
         [&] { return ClickOn(mainWindow->Controls().backToListButton); },
         [&] { return !CapturePanelShown() && List().Count() == 0; }},
        {"Ctrl+Cを監視する, unticked: a copy in the shell is not captured",
         [&] {
             ListOf({});
             Ticked(mainWindow->Controls().watchClipboardBox, true);
         },
         [&] { return ClickOn(mainWindow->Controls().watchClipboardBox); },
         [&] {
             // The helper ends only once the window has had the clipboard's notice.
             return PutFilesFromHelper(L"copy", {exe}) == 0u && !CapturePanelShown();
         }},
        {"終了時にリストを保持, on: the list is there after a restart",
         [&] {
             ListOf({exe, L"C:\\kept.txt"});
             KeepList(false);
         },
         [&] {
             return Choose(MenuBar('L'), {VK_UP, VK_RETURN});
         },
         [&] {
             if (!KeepListChecked())
                 return false;
             Restart();
             return List().AllPaths() == Texts{exe, L"C:\\kept.txt"};
         }},
    };
    for (const Route& route : routes) {
        SCOPED_TRACE(route.what);
        route.prepare();
        if (HasFatalFailure())
            return;
        Perform(route.gesture());
        EXPECT_TRUE(Pump(route.effect, 10000));
    }
}

// The keyboard works wherever the user is: the list has the focus at start, gets it back when a
// box of ours closes and when the window is activated again after another program, and Tab and
// Shift+Tab go round the list and the two check boxes in their order.
TEST_F(UserRoute, TheKeyboardReachesTheListAtStartAfterABoxAndAfterAnotherProgram) {
    // A fresh window, as at start: nothing clicked, no item focused.
    Restart();
    app->SetDialogs(nullptr); // the real question, answered by a key
    for (const wchar_t* path : {L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt"})
        List().AppendPath(path);
    List().UpdateCountDisplay();
    HWND list = mainWindow->Controls().listView;
    auto editorText = [list]() -> std::wstring {
        HWND edit = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
        return edit ? win::WindowText(edit) : L"";
    };
    // F2 opens the editor on the focused entry; Escape closes it unchanged.
    auto editWithF2 = [list](InputDriver& d) {
        d.Key(VK_F2);
        if (!d.WaitFor("the editor",
                       [list] { return ::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0) != 0; }))
            return;
    };
    auto closeEditor = [&] {
        Perform([list](InputDriver& d) {
            d.Key(VK_ESCAPE);
            d.WaitFor("the editor to close",
                      [list] { return ::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0) == 0; });
        });
    };
    const POINT second = ItemPoint(1);
    // Keys pressed while no control has the keyboard go to the window itself, whose default
    // handling can enter its menu's loop and hold the test there: the test ends first.
    const char* const noKeyboard = "no control of the window has the keyboard";

    {
        SCOPED_TRACE("at start, Down then F2");
        ASSERT_EQ(::GetFocus(), list) << noKeyboard;
        Perform([&](InputDriver& d) {
            d.Key(VK_DOWN);
            editWithF2(d);
        });
        EXPECT_EQ(editorText(), L"C:\\a.txt");
        closeEditor();
    }
    {
        SCOPED_TRACE("Delete answered いいえ, then F2");
        Perform([&](InputDriver& d) {
            Click(d, second);
            d.Key(VK_DELETE);
            auto question = [] { return ::FindWindowW(L"#32770", L"確認"); };
            const bool answered = d.WaitFor("the question to take the keyboard", [&] {
                return question() && ::GetForegroundWindow() == question();
            }) && (d.Chord(VK_MENU, 'N'), d.WaitFor("the question to close", [&] {
                                      return !question();
                                  }));
            if (!answered) {
                // A box left open would hold the test's own loop for ever.
                if (HWND box = question())
                    ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            }
        });
        ASSERT_EQ(::GetFocus(), list) << noKeyboard;
        Perform(editWithF2);
        EXPECT_EQ(editorText(), L"C:\\b.txt");
        closeEditor();
        EXPECT_EQ(List().AllPaths(), (Texts{L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt"}));
    }
    {
        SCOPED_TRACE("another program activated, then the window again");
        ProgramProcess other;
        ASSERT_TRUE(other.Launch(HelperPath(L"activator"), L"", CurrentFolder()));
        ASSERT_TRUE(Pump(
            [&] {
                HWND activator = ::FindWindowW(L"TuckbayActivator", nullptr);
                return activator && ::GetForegroundWindow() == activator;
            },
            20000));
        // Without a window manager the other program's window keeps taking the X focus back
        // while it is there; it closes, and the user comes back to the window (as Alt+Tab does).
        ::PostMessageW(::FindWindowW(L"TuckbayActivator", nullptr), WM_CLOSE, 0, 0);
        ASSERT_NE(other.ExitCode(10000), STILL_ACTIVE);
        ::SetForegroundWindow(mainWindow->Hwnd());
        ASSERT_TRUE(Pump([&] { return ::GetForegroundWindow() == mainWindow->Hwnd(); }));
        ASSERT_EQ(::GetFocus(), list) << noKeyboard;
        Perform([&](InputDriver& d) {
            d.Key(VK_UP);
            editWithF2(d);
        });
        EXPECT_EQ(editorText(), L"C:\\a.txt");
        closeEditor();
    }

    SCOPED_TRACE("Tab and Shift+Tab round every control, and Space presses a speed button");
    const app::MainControls& c = mainWindow->Controls();
    const std::vector<HWND> ring{
        c.copyModeButton->Hwnd(), c.moveModeButton->Hwnd(), c.clearListButton->Hwnd(),
        c.shortcutButton->Hwnd(), c.listAreaButton->Hwnd(), c.topmostButton->Hwnd(),
        c.allowListDropsBox,      c.watchClipboardBox,      list};
    std::vector<HWND> focused;
    for (size_t i = 0; i < ring.size() + 2; ++i) {
        const bool back = i >= ring.size();
        Perform([back](InputDriver& d) { back ? d.Chord(VK_SHIFT, VK_TAB) : d.Key(VK_TAB); });
        focused.push_back(::GetFocus());
    }
    std::vector<HWND> expected = ring;
    expected.push_back(c.watchClipboardBox);
    expected.push_back(c.allowListDropsBox);
    EXPECT_EQ(focused, expected);
    // Back to 最前面, and Space: the window is no longer topmost, as after a click.
    ASSERT_TRUE(IsTopmost());
    Perform([](InputDriver& d) {
        d.Chord(VK_SHIFT, VK_TAB);
        d.Key(VK_SPACE);
    });
    EXPECT_EQ(::GetFocus(), c.topmostButton->Hwnd());
    EXPECT_TRUE(Pump([&] { return !IsTopmost(); }));

    SCOPED_TRACE("the capture panel's memo and buttons take the list's place, and give Tab up");
    ASSERT_EQ(PutFilesFromHelper(L"copy", {win::ProgramPath()}), 0u);
    ASSERT_TRUE(Pump([&] { return CapturePanelShown(); }));
    ::SetFocus(c.watchClipboardBox);
    focused.clear();
    for (int i = 0; i < 4; ++i) {
        Perform([](InputDriver& d) { d.Key(VK_TAB); });
        focused.push_back(::GetFocus());
    }
    EXPECT_EQ(focused, (std::vector<HWND>{c.captureMemo, c.addCapturedButton, c.backToListButton,
                                          c.copyModeButton->Hwnd()}));
}

// The count display is blank until something could change the number of entries: a drop the
// list refuses and a sort of the empty list leave it so.
TEST_F(UserRoute, TheCountDisplayStaysBlankUntilTheNumberOfEntriesCanChange) {
    EXPECT_EQ(CountText(), L"");
    Perform(ClickOn(mainWindow->Controls().allowListDropsBox));
    DropOn(mainWindow->Controls().listArea->Hwnd(), {L"C:\\refused.txt"});
    EXPECT_EQ(dialogs.warnings.size(), 1u);
    RECT r{};
    HWND header = mainWindow->Part<filelist::ListPart>().Header().HeaderHandle();
    ::SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ClientToScreen(header, &at);
    Perform([at](InputDriver& d) { Click(d, at); });
    EXPECT_EQ(CountText(), L"");
    EXPECT_EQ(List().Count(), 0u);
}

// A long sort goes on while the window answers, says how far it has come, and Esc stops it with
// the list as it was: by the path, and by size, whose details are read first.
TEST_F(UserRoute, EscapeCancelsALongSortAndLeavesTheListAsItWas) {
    const struct {
        std::vector<filelist::ShownColumn> columns;
        int clicked;
    } cases[] = {
        {filelist::DefaultColumns(), 0},
        {{{filelist::DetailColumn::Path, 200}, {filelist::DetailColumn::Size, 80}}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clicked);
        List().Clear();
        List().ShowColumns(c.columns);
        constexpr size_t kCount = 500000;
        // Folders of a few files each: every file's details are a look-up of their own.
        for (size_t i = 0; i < kCount; ++i)
            List().AppendPath(L"C:\\sorting\\" + std::to_wstring(i / 4) + L"\\" +
                              std::to_wstring((i * 7919) % kCount) + L".txt");
        List().UpdateCountDisplay();
        const std::wstring first = List().PathAt(0), last = List().PathAt(kCount - 1);
        ::SetForegroundWindow(mainWindow->Hwnd());
        ::SetFocus(mainWindow->Controls().listView);
        RECT r{};
        HWND header = mainWindow->Part<filelist::ListPart>().Header().HeaderHandle();
        ::SendMessageW(header, HDM_GETITEMRECT, c.clicked, reinterpret_cast<LPARAM>(&r));
        POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ::ClientToScreen(header, &at);
        ::SendMessageW(mainWindow->Controls().statusBar, SB_SETTEXTW, 1,
                       reinterpret_cast<LPARAM>(L""));
        Perform([&](InputDriver& d) {
            Click(d, at);
            if (!d.WaitFor("the progress", [&] { return Report().rfind(L"並べ替え中", 0) == 0; }))
                return;
            d.Key(VK_ESCAPE);
            d.WaitFor("the sort to stop", [&] { return Report() == L"並べ替えを取り消しました"; });
        });
        EXPECT_EQ(Report(), L"並べ替えを取り消しました");
        EXPECT_EQ(List().Count(), kCount);
        EXPECT_EQ(List().PathAt(0), first);
        EXPECT_EQ(List().PathAt(kCount - 1), last);
        EXPECT_EQ(mainWindow->Part<filelist::ListPart>().Header().SortColumn(), -1)
            << "no triangle for a sort that did not happen";
    }
}

// A list file of a million lines dropped on the list is read off the window's thread: the window
// answers while it is read, shows its entries only once all are read, and Esc during the read
// leaves the list as it was.
TEST_F(UserRoute, AMillionLineListFileIsReadWhileTheWindowAnswersAndEscGivesItUp) {
    constexpr size_t kCount = 1000000;
    ScratchFolder folder;
    std::string bytes;
    for (size_t i = 0; i < kCount; ++i)
        bytes += "C:\\read\\" + std::to_string(i) + ".txt\r\n";
    const std::wstring file = folder.Write(L"million.lst", bytes);
    Append({L"C:\\before.txt"});
    filelist::ListFileReader& reader = mainWindow->Part<filelist::ListPart>().Reader();
    HWND listArea = mainWindow->Controls().listArea->Hwnd();
    ::SetForegroundWindow(mainWindow->Hwnd());
    ::SetFocus(mainWindow->Controls().listView);

    // Held once its work is done, the read stays under way: this thread's loop runs meanwhile.
    reader.Job().Hold(true);
    ASSERT_TRUE(
        ::PostMessageW(listArea, WM_DROPFILES, reinterpret_cast<WPARAM>(BuildDrop({file})), 0));
    ASSERT_TRUE(Pump([&] { return reader.Job().WorkDone(); }, 60000))
        << "the list file was not read on a worker";
    ASSERT_TRUE(Pump([&] { return Report().starts_with(L"読み込み中… "); }));
    EXPECT_EQ(List().Count(), 1u) << "entries shown before the whole file was read";
    Perform([](InputDriver& d) { d.Key(VK_ESCAPE); });
    reader.Job().Hold(false);
    ASSERT_TRUE(Pump([&] { return !reader.Running(); }));
    EXPECT_EQ(Report(), L"読み込みを取り消しました");
    EXPECT_EQ(List().AllPaths(), std::vector<std::wstring>{L"C:\\before.txt"});
    EXPECT_EQ(CountText(), L"1");

    DropOn(listArea, {file}, 60000);
    ASSERT_EQ(List().Count(), kCount + 1);
    EXPECT_EQ(List().PathAt(1), L"C:\\read\\0.txt");
    EXPECT_EQ(List().PathAt(kCount), L"C:\\read\\999999.txt");
    EXPECT_EQ(CountText(), L"1000001");
}

// Shift+F10 and the menu key open the list's menu under the focused item, or at the list's
// corner when no item has the focus, as the system's own lists do.
TEST_F(UserRoute, TheKeyboardOpensTheListMenuUnderTheFocusedItem) {
    const struct {
        WORD key;
        int focused; // none when negative
    } cases[] = {{VK_F10, 1}, {VK_APPS, -1}};
    for (const auto [key, focused] : cases) {
        SCOPED_TRACE(std::to_string(key) + " " + std::to_string(focused));
        ListOf({L"C:\\a.txt", L"C:\\b.txt"}, focused < 0 ? 0 : focused);
        POINT expected{};
        if (focused < 0) {
            LVITEMW none{};
            none.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
            ::SendMessageW(mainWindow->Controls().listView, LVM_SETITEMSTATE,
                           static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
            ::ClientToScreen(mainWindow->Controls().listView, &expected);
        } else {
            RECT r{};
            r.left = LVIR_LABEL;
            ::SendMessageW(mainWindow->Controls().listView, LVM_GETITEMRECT, focused,
                           reinterpret_cast<LPARAM>(&r));
            expected = {r.left, r.bottom};
            ::ClientToScreen(mainWindow->Controls().listView, &expected);
        }
        RECT menu{};
        Perform([&](InputDriver& d) {
            key == VK_F10 ? d.Chord(VK_SHIFT, VK_F10) : d.Key(key);
            if (!d.WaitFor("the menu to open", [] { return OpenPopupMenu() != nullptr; }))
                return;
            ::GetWindowRect(OpenPopupMenu(), &menu);
            d.Key(VK_ESCAPE);
            d.WaitFor("the menu to close", [] { return OpenPopupMenu() == nullptr; });
        });
        EXPECT_EQ(menu.left, expected.x);
        EXPECT_EQ(menu.top, expected.y);
    }
}

// The editor a click on the selected item opens takes a path of any length, and typing at the
// end of one longer than the old display limit is taken.
TEST_F(UserRoute, EditingInPlaceLengthensALongPath) {
    const std::wstring longPath = L"C:\\" + std::wstring(280, L'p') + L".txt";
    ListOf({longPath});
    const POINT at = ItemPoint(0);
    HWND list = mainWindow->Controls().listView;
    Perform([&](InputDriver& d) {
        Click(d, at);
        if (!d.WaitFor("the editor",
                       [list] { return ::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0) != 0; }))
            return;
        d.Key(VK_END);
        d.Type(L"_more");
        d.Key(VK_RETURN);
        d.WaitFor("the editor to close",
                  [list] { return ::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0) == 0; });
    });
    EXPECT_EQ(List().AllPaths(), Texts{longPath + L"_more"});
    EXPECT_EQ(shell.openedWithDefault, Texts{}) << "the Enter that ends an edit opens nothing";
}

} // namespace
} // namespace tuckbay::test
