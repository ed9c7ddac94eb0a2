// The main window's handlers: each hands its event to the part of the program that owns it.
#include "app/form1.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "app/system_menu.h"
#include "filelist/list_commands.h"
#include "win/error.h"

namespace app {

void TForm1::FormCreate() {
    // The file list's sort signs start at -1 (descending first) on construction.
    sortHeader_ = std::make_unique<SortHeader>(ListView1);
    intake::DropHost& host = *this;
    dropIntake_ = std::make_unique<intake::DropIntake>(drop->Hwnd(), filelist->Hwnd(), host,
                                                       FileList(), Dialogs());
    dropIntake_->Register();
    application_.SetMessageHook([this](MSG& msg, bool& handled) { AppMessage(msg, handled); });
    application_.SetActivationHooks([this] { AppActivate(); }, [this] { AppDeactivate(); });
    AppendSystemMenuCommands(application_.Handle());
    application_.SetKeyPreview([this](wchar_t key) { FormKeyPress(key); });
    clipboard_ = std::make_unique<ClipboardCapture>(*this);
    clipboard_->watch.Join();
    ::ShowWindow(pctrlc->Hwnd(), SW_HIDE);
    ::ShowWindow(pfilelist->Hwnd(), SW_SHOW);
    auto saved = settings::ReadSettings(settingsPath_);
    if (saved) ApplySettings(*saved);
    SetTopmost(SpeedButton1->Down());
    const bool listShown = (::GetWindowLongW(filelist->Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
    sbtnfl->SetDown(listShown);
    ApplyListAreaMode(listShown);
    // Centred as it is first shown, that is with the size the mode and the minimum height gave.
    if (!saved) CentreOnScreen();
}

void TForm1::FormDestroy() {
    if (clipboard_) clipboard_->watch.Leave();
    // A settings file that cannot be written is reported, and the program ends all the same.
    try {
        settings::WriteSettings(settingsPath_, CurrentSettings());
    } catch (...) {
        win::ReportCurrentException();
    }
}

void TForm1::CentreOnScreen() {
    RECT r;
    ::GetWindowRect(Hwnd(), &r);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    ::SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::SetTopmost(bool topmost) {
    HWND hwnd = Hwnd();
    ::SetWindowPos(hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE);
    bool isTopmost = (::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (isTopmost != topmost) {
        // Some window managers (Wine's among them) re-insert an owned window just above its
        // owner and so ignore the change; made for a moment without the owner, it holds.
        LONG_PTR owner = ::GetWindowLongPtrW(hwnd, GWLP_HWNDPARENT);
        ::SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, 0);
        ::SetWindowPos(hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE);
        ::SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, owner);
    }
}

void TForm1::ApplyListAreaMode(bool visible) {
    HWND hwnd = Hwnd();
    if (::IsZoomed(hwnd)) ::ShowWindow(hwnd, SW_RESTORE);
    // The list area is hidden before the window's client area changes and shown only after
    // it has its final width, so no intermediate size squeezes or stretches it: it keeps its
    // width for the way back.
    if (!visible) ::ShowWindow(filelist->Hwnd(), SW_HIDE);
    LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    LONG frame = WS_THICKFRAME | WS_MAXIMIZEBOX;
    style = visible ? (style | frame) : (style & ~frame);
    ::SetWindowLongW(hwnd, GWL_STYLE, style);
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // The width follows the panels: the frame as it now is, around Panel2 and, in full mode,
    // the list area with the width it last had. Measuring the frame (rather than computing
    // it) keeps a switch to compact and back exact to the pixel.
    RECT outer;
    RECT client;
    ::GetWindowRect(hwnd, &outer);
    ::GetClientRect(hwnd, &client);
    int frameWidth = (outer.right - outer.left) - client.right;
    int clientWidth = win::ChildBounds(Panel2->Hwnd()).width;
    if (visible) clientWidth += win::ChildBounds(filelist->Hwnd()).width;
    ::SetWindowPos(hwnd, nullptr, 0, 0, clientWidth + frameWidth, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (visible) ::ShowWindow(filelist->Hwnd(), SW_SHOW);
    Realign();
    FormResize();
}

void TForm1::sbtnflClick() {
    ApplyListAreaMode((::GetWindowLongW(filelist->Hwnd(), GWL_STYLE) & WS_VISIBLE) == 0);
}

void TForm1::SpeedButton1Click() { SetTopmost(SpeedButton1->Down()); }

void TForm1::FormKeyPress(wchar_t key) {
    if (key == L'z') {
        SpeedButton1->SetDown(true);
        SetTopmost(true);
    } else if (key == L'x') {
        SpeedButton1->SetDown(false);
        SetTopmost(false);
    }
}

void TForm1::FormResize() {
    if (!created_) return;
    int width = win::ChildBounds(filelist->Hwnd()).width;
    ::SendMessageW(ListView1, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(width - 16, 0));
    RECT r;
    ::GetWindowRect(Hwnd(), &r);
    if (r.bottom - r.top <= 304) {
        ::SetWindowPos(Hwnd(), nullptr, 0, 0, r.right - r.left, 305,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TForm1::AppActivate() {
    Label2->SetBackColorIndex(COLOR_ACTIVECAPTION);
    Label1->SetBackColorIndex(COLOR_ACTIVECAPTION);
}

void TForm1::AppDeactivate() {
    Label2->SetBackColorIndex(COLOR_GRADIENTINACTIVECAPTION);
    Label1->SetBackColorIndex(COLOR_GRADIENTINACTIVECAPTION);
}

void TForm1::AppMessage(MSG& msg, bool& handled) {
    if (HandleSystemMenuCommand(msg, Hwnd())) {
        handled = true;
        return;
    }
    if (dropIntake_ && dropIntake_->HandleMessage(msg)) handled = true;
}

bool TForm1::ShortcutSwitchDown() const { return sbtnshort->Down(); }
bool TForm1::ListDropsAllowed() const {
    return ::SendMessageW(dropfl, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
bool TForm1::TopmostSwitchDown() const { return SpeedButton1->Down(); }
HWND TForm1::MainWindow() const { return Hwnd(); }

void TForm1::SpeedButton2Click() {
    fileList_->Clear();
    fileList_->UpdateCountDisplay();
}

void TForm1::D1Click() {
    auto index = fileList_->FocusedIndex();
    if (!index) {
        Dialogs().ShowMessage(Hwnd(), L"ファイルが選ばれていません");
        return;
    }
    std::wstring question = fileList_->AllPaths()[*index] + L"をリストから削除しますか？";
    if (!Dialogs().Confirm(Hwnd(), question)) return;
    fileList_->RemoveAt(*index);
    fileList_->UpdateCountDisplay();
}

void TForm1::ListView1ColumnClick(int column) {
    fileList_->SortByColumn(column);
    sortHeader_->ColumnClicked(column);
}

void TForm1::N5Click() { filelist::SaveList(Hwnd(), FileList(), Dialogs()); }
void TForm1::V1Click() { filelist::CopyListToClipboard(Hwnd(), FileList(), Dialogs()); }
void TForm1::W1Click() { filelist::TakePathsFromClipboard(Hwnd(), FileList(), Dialogs()); }
void TForm1::Y1Click() {
    Shell().FilePropertiesOf(fileList_->SelectedCount(), fileList_->FocusedText());
}
void TForm1::F1Click() {
    Shell().FolderOf(fileList_->SelectedCount(), fileList_->FocusedText());
}
void TForm1::N7Click() { Shell().OpenHelp(); }
void TForm1::N8Click() { Form3->ShowModal(); }
void TForm1::Button1Click() { clipboard_->watch.Button1Click(); }
void TForm1::Button2Click() { clipboard_->watch.Button2Click(); }

void TForm1::WMDrawClipboard() {
    if (clipboard_) clipboard_->watch.WMDrawClipboard();
}

void TForm1::WMChangeCBChain(HWND leaving, HWND next) {
    if (clipboard_) clipboard_->watch.WMChangeCBChain(leaving, next);
}

void TForm1::Image1MouseDown(win::Image::Button button, int x, int y) {
    dragGesture_.MouseDown(button == win::Image::Button::Left, x, y);
}

void TForm1::Image1MouseMove(int x, int y) { dragGesture_.MouseMove(x, y); }

const std::vector<std::wstring>& TForm1::ListedPaths() const { return fileList_->AllPaths(); }
HWND TForm1::IconWindow() const { return Image1->Hwnd(); }
bool TForm1::IconPressed() const { return Image1->Pressed(); }
bool TForm1::MoveModeDown() const { return sbtnmove->Down(); }
bool TForm1::CopyModeDown() const { return Sbtncopy->Down(); }

void TForm1::OnCommand(int id) {
    switch (id) {
    case kIdN5: N5Click(); break;
    case kIdV1: V1Click(); break;
    case kIdW1: W1Click(); break;
    case kIdY1:
    case kIdP1: Y1Click(); break;
    case kIdF1:
    case kIdO1: F1Click(); break;
    case kIdN7: N7Click(); break;
    case kIdN8: N8Click(); break;
    case kIdD1: D1Click(); break;
    case kIdSbtnfl: sbtnflClick(); break;
    case kIdSpeedButton1: SpeedButton1Click(); break;
    case kIdSpeedButton2: SpeedButton2Click(); break;
    case kIdButton1: Button1Click(); break;
    case kIdButton2: Button2Click(); break;
    }
}

void TForm1::ShowContextMenu(LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (lParam == -1) {
        // From the keyboard: open it at the focused item, or at the list's corner.
        RECT r{};
        auto index = fileList_->FocusedIndex();
        r.left = LVIR_LABEL;
        if (!index || !::SendMessageW(ListView1, LVM_GETITEMRECT, *index,
                                      reinterpret_cast<LPARAM>(&r))) {
            r = {};
        }
        p = {r.left, r.bottom};
        ::ClientToScreen(ListView1, &p);
    }
    ::TrackPopupMenu(PopupMenu1.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, Hwnd(),
                     nullptr);
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        Realign();
        FormResize();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        LRESULT result = 0;
        if (fileList_ && fileList_->HandleNotify(header, &result)) return result;
        if (header.hwndFrom == ListView1 && header.code == LVN_COLUMNCLICK) {
            ListView1ColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        }
        return 0;
    }
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == ListView1) {
            ShowContextMenu(lParam);
            return 0;
        }
        break;
    case WM_DRAWCLIPBOARD:
        WMDrawClipboard();
        return 0;
    case WM_CHANGECBCHAIN:
        WMChangeCBChain(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_ACTIVATEAPP:
        application_.NoteActivation(wParam != FALSE);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            application_.Minimize();
            return 0;
        }
        break;
    case WM_DESTROY:
        if (!destroyed_) {
            destroyed_ = true;
            FormDestroy();
        }
        if (application_.IsRunning()) ::PostQuitMessage(0);
        return 0;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

} // namespace app
