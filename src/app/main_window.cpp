// The main window's handlers: each hands its event to the part of the program that owns it.
#include "app/main_window.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "app/elevation.h"
#include "app/second_launch.h"
#include "app/send_to.h"
#include "app/system_menu.h"
#include "dragout/clipboard_files.h"
#include "filelist/kept_list.h"
#include "filelist/list_commands.h"
#include "win/error.h"
#include "win/program_path.h"

namespace app {

void MainWindow::OnCreate() {
    // The header draws what the list says of its last sort.
    sortHeader_ = std::make_unique<SortHeader>(listView, [this] {
        const filelist::ListModel& model = fileList_->Model();
        return SortHeader::Sorted{model.SortedColumn(), model.SortedAscending()};
    });
    fileList_->onSorted = [this] { sortHeader_->SortChanged(); };
    intake::DropHost& host = *this;
    dropIntake_ = std::make_unique<intake::DropIntake>(dropZone->Hwnd(), listArea->Hwnd(), host,
                                                       FileList(), Dialogs());
    dropIntake_->Register();
    LetDropsThroughToAnElevatedWindow();
    missingPrune_ = std::make_unique<filelist::MissingPrune>(Hwnd(), kMissingAnswers, FileList(),
                                                             statusBar, Dialogs());
    dropZone->onDropFiles = [this](HDROP drop) { FilesDropped(dropZone->Hwnd(), drop); };
    listArea->onDropFiles = [this](HDROP drop) { FilesDropped(listArea->Hwnd(), drop); };
    application_.SetSystemCommandHandler(
        [this](WPARAM command) { return HandleSystemMenuCommand(command, Hwnd()); });
    application_.SetActivationHooks([this] { AppActivate(); }, [this] { AppDeactivate(); });
    AppendSystemMenuCommands(application_.Handle());
    application_.SetKeyPreview([this](wchar_t key) { OnKeyPress(key); });
    clipboard_ = std::make_unique<ClipboardCapture>(*this);
    clipboard_->watch.Join();
    ::ShowWindow(capturePanel->Hwnd(), SW_HIDE);
    ::ShowWindow(listPanel->Hwnd(), SW_SHOW);
    auto saved = settings::ReadSettings(settingsPath_);
    if (saved)
        ApplySettings(*saved);
    // A kept list that cannot be read is reported, and the program starts with an empty list.
    if (KeepListChecked()) {
        try {
            filelist::RestoreKeptList(keptListPath_, FileList());
        } catch (...) {
            win::ReportCurrentException();
        }
    }
    SetTopmost(topmostButton->Down());
    const bool listShown = (::GetWindowLongW(listArea->Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
    listAreaButton->SetDown(listShown);
    ApplyListAreaMode(listShown);
    // Centred as it is first shown, that is with the size the mode and the minimum height gave.
    if (!saved)
        CentreOnScreen();
}

void MainWindow::OnDestroy() {
    if (clipboard_)
        clipboard_->watch.Leave();
    // A settings file or kept list that cannot be written is reported, and the program ends
    // all the same.
    try {
        settings::WriteSettings(settingsPath_, CurrentSettings());
    } catch (...) {
        win::ReportCurrentException();
    }
    try {
        filelist::StoreKeptList(keptListPath_, FileList(), KeepListChecked());
    } catch (...) {
        win::ReportCurrentException();
    }
}

void MainWindow::CentreOnScreen() {
    RECT r;
    ::GetWindowRect(Hwnd(), &r);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    ::SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetTopmost(bool topmost) {
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

void MainWindow::ApplyListAreaMode(bool visible) {
    HWND hwnd = Hwnd();
    if (::IsZoomed(hwnd))
        ::ShowWindow(hwnd, SW_RESTORE);
    // The list area is hidden before the window's client area changes and shown only after
    // it has its final width, so no intermediate size squeezes or stretches it: it keeps its
    // width for the way back.
    if (!visible)
        ::ShowWindow(listArea->Hwnd(), SW_HIDE);
    LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    LONG frame = WS_THICKFRAME | WS_MAXIMIZEBOX;
    style = visible ? (style | frame) : (style & ~frame);
    ::SetWindowLongW(hwnd, GWL_STYLE, style);
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // The width follows the panels: the frame as it now is, around leftStrip and, in full mode,
    // the list area with the width it last had. Measuring the frame (rather than computing
    // it) keeps a switch to compact and back exact to the pixel.
    RECT outer;
    RECT client;
    ::GetWindowRect(hwnd, &outer);
    ::GetClientRect(hwnd, &client);
    int frameWidth = (outer.right - outer.left) - client.right;
    int clientWidth = win::ChildBounds(leftStrip->Hwnd()).width;
    if (visible)
        clientWidth += win::ChildBounds(listArea->Hwnd()).width;
    ::SetWindowPos(hwnd, nullptr, 0, 0, clientWidth + frameWidth, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (visible)
        ::ShowWindow(listArea->Hwnd(), SW_SHOW);
    Realign();
    OnResize();
}

void MainWindow::DpiChanged(const RECT& suggested) {
    MakeFonts();
    LoadIcons();
    SetStatusBarParts();
    ::SetWindowPos(Hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyDpi();
    // The suggested width is the old one scaled; compact mode's width is the left strip's.
    if (!(::GetWindowLongW(listArea->Hwnd(), GWL_STYLE) & WS_VISIBLE))
        ApplyListAreaMode(false);
    OnResize();
}

void MainWindow::ListAreaButtonClick() {
    ApplyListAreaMode((::GetWindowLongW(listArea->Hwnd(), GWL_STYLE) & WS_VISIBLE) == 0);
}

void MainWindow::TopmostButtonClick() { SetTopmost(topmostButton->Down()); }

void MainWindow::OnKeyPress(wchar_t key) {
    // Ctrl+Z arrives as its control character. An edit field (the memo, a label being edited)
    // undoes its own typing instead.
    constexpr wchar_t kCtrlZ = 0x1A;
    constexpr wchar_t kEscape = 0x1B;
    if (key == kEscape && fileList_->Sorting()) {
        fileList_->CancelSort();
        return;
    }
    if (key == kCtrlZ) {
        wchar_t className[8] = {};
        ::GetClassNameW(::GetFocus(), className, 8);
        if (::lstrcmpiW(className, L"Edit") != 0)
            UndoClick();
        return;
    }
    if (key == L'z') {
        topmostButton->SetDown(true);
        SetTopmost(true);
    } else if (key == L'x') {
        topmostButton->SetDown(false);
        SetTopmost(false);
    }
}

void MainWindow::OnResize() {
    if (!created_)
        return;
    int width = win::ChildBounds(listArea->Hwnd()).width;
    ::SendMessageW(listView, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(width - Scale(16), 0));
    RECT r;
    ::GetWindowRect(Hwnd(), &r);
    const int minimumHeight = Scale(305);
    if (r.bottom - r.top < minimumHeight) {
        ::SetWindowPos(Hwnd(), nullptr, 0, 0, r.right - r.left, minimumHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::AppActivate() {
    fileList_->Recheck();
    dragCaption->SetBackColorIndex(COLOR_ACTIVECAPTION);
    dropCaption->SetBackColorIndex(COLOR_ACTIVECAPTION);
}

void MainWindow::AppDeactivate() {
    dragCaption->SetBackColorIndex(COLOR_GRADIENTINACTIVECAPTION);
    dropCaption->SetBackColorIndex(COLOR_GRADIENTINACTIVECAPTION);
}

void MainWindow::RememberFocus() {
    HWND focus = ::GetFocus();
    if (focus != nullptr && ::IsChild(Hwnd(), focus))
        focusOnDeactivation_ = focus;
}

void MainWindow::GiveFocusBack() {
    HWND focus = focusOnDeactivation_;
    // The list comes first in the tab order, so it has the focus at start; a control that has
    // gone or cannot take the focus now hands it to the first that can.
    if (focus == nullptr || !::IsWindow(focus) || !::IsWindowVisible(focus) ||
        !::IsWindowEnabled(focus))
        focus = ::GetNextDlgTabItem(Hwnd(), nullptr, FALSE);
    if (focus != nullptr)
        ::SetFocus(focus);
}

void MainWindow::LetDropsThroughToAnElevatedWindow() {
    if (!AllowDropMessages({Hwnd(), dropZone->Hwnd(), listArea->Hwnd()}) && RunningElevated()) {
        ::SendMessageW(statusBar, SB_SETTEXTW, kReportPart,
                       reinterpret_cast<LPARAM>(
                           L"管理者として実行中: エクスプローラーからのドロップは制限されます"));
    }
}

void MainWindow::FilesDropped(HWND zone, HDROP drop) {
    // While a box of ours is open the window is disabled and the user is answering it; the
    // drop waits for the box to close rather than being lost or opening a second box.
    if (!::IsWindowEnabled(Hwnd())) {
        pendingDrops_.push_back({zone, drop});
        return;
    }
    dropIntake_->HandleMessage(MSG{zone, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0, 0, {}});
}

void MainWindow::PathsHandedOver(std::vector<std::wstring> paths) {
    dropIntake_->TakeDrop(std::move(paths));
}

bool MainWindow::SecondLaunchCopyData(const COPYDATASTRUCT& data) {
    if (programPath_.empty())
        programPath_ = win::ProgramPath();
    std::optional<std::vector<std::wstring>> paths = ReadHandOver(data, programPath_);
    if (!paths)
        return false;
    // Taken from our own loop once the sender has its answer: a box the paths may bring up
    // must not keep the sender waiting, nor make it think the paths were lost.
    handedOver_.push_back(std::move(*paths));
    ::PostMessageW(Hwnd(), kTakePendingDrops, 0, 0);
    return true;
}

void MainWindow::ComeToFront() {
    if (!::IsWindowVisible(Hwnd())) {
        application_.Restore(); // minimised, the program stands on the taskbar alone
        return;
    }
    if (::IsIconic(Hwnd()))
        ::ShowWindow(Hwnd(), SW_RESTORE);
    ::SetForegroundWindow(Hwnd());
}

void MainWindow::TakePendingDrops() {
    // Taken one at a time: a drop may open a box, and what arrives meanwhile queues again.
    while (!pendingDrops_.empty() && ::IsWindowEnabled(Hwnd())) {
        PendingDrop next = pendingDrops_.front();
        pendingDrops_.erase(pendingDrops_.begin());
        FilesDropped(next.zone, next.drop);
    }
    while (!handedOver_.empty() && ::IsWindowEnabled(Hwnd())) {
        std::vector<std::wstring> next = std::move(handedOver_.front());
        handedOver_.erase(handedOver_.begin());
        ComeToFront();
        PathsHandedOver(std::move(next));
    }
}

void MainWindow::ReleasePendingDrops() {
    for (const PendingDrop& pending : pendingDrops_)
        ::DragFinish(pending.drop);
    pendingDrops_.clear();
}

bool MainWindow::ShortcutSwitchDown() const { return shortcutButton->Down(); }
bool MainWindow::ListDropsAllowed() const {
    return ::SendMessageW(allowListDropsBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
bool MainWindow::TopmostSwitchDown() const { return topmostButton->Down(); }
HWND MainWindow::MainHwnd() const { return Hwnd(); }

void MainWindow::ClearListClick() {
    fileList_->Clear();
    fileList_->UpdateCountDisplay();
}

void MainWindow::RemoveItemClick() {
    auto index = fileList_->FocusedIndex();
    if (!index) {
        Dialogs().ShowMessage(Hwnd(), L"ファイルが選ばれていません");
        return;
    }
    std::wstring question = fileList_->PathAt(*index) + L"をリストから削除しますか？";
    if (!Dialogs().Confirm(Hwnd(), question))
        return;
    fileList_->RemoveAt(*index);
    fileList_->UpdateCountDisplay();
}

void MainWindow::UndoClick() {
    if (fileList_->CanUndo())
        fileList_->Undo();
}

void MainWindow::RemoveMissingClick() { missingPrune_->Start(); }

void MainWindow::ListViewColumnClick(int column) { fileList_->SortByColumn(column); }

void MainWindow::ListViewKeyDown(WORD key) {
    if (::GetKeyState(VK_MENU) < 0 || ::GetKeyState(VK_SHIFT) < 0)
        return;
    if (::GetKeyState(VK_CONTROL) < 0) {
        if (key == 'C')
            CopyFilesClick();
        else if (key == 'X')
            CutFilesClick();
    } else if (key == VK_DELETE) {
        RemoveItemClick();
    } else if (key == VK_F2) {
        if (auto index = fileList_->FocusedIndex())
            ::SendMessageW(listView, LVM_EDITLABELW, *index, 0);
    }
}

void MainWindow::SaveListClick() { filelist::SaveList(Hwnd(), FileList(), Dialogs()); }
void MainWindow::CopyListAsTextClick() {
    filelist::CopyListToClipboard(Hwnd(), FileList(), Dialogs());
}
void MainWindow::AddFromClipboardTextClick() {
    filelist::TakePathsFromClipboard(Hwnd(), FileList(), Dialogs());
}
void MainWindow::PropertiesClick() {
    Shell().FilePropertiesOf(fileList_->SelectedCount(), fileList_->FocusedText());
}
void MainWindow::OpenFolderClick() {
    Shell().FolderOf(fileList_->SelectedCount(), fileList_->FocusedText());
}
void MainWindow::RegisterSendToClick() {
    RegisterInSendTo(Hwnd(), Dialogs(), SendToFolder(), win::ProgramPath());
}
void MainWindow::CopyFilesClick() { PutListedFilesOnClipboard(dragout::kClipboardCopy); }
void MainWindow::CutFilesClick() { PutListedFilesOnClipboard(dragout::kClipboardCut); }

void MainWindow::PutListedFilesOnClipboard(DWORD effect) {
    if (fileList_->Count() == 0) {
        Dialogs().ShowMessage(Hwnd(), filelist::kEmptyList);
        return;
    }
    const std::vector<std::wstring> paths = fileList_->AllPaths();
    clipboard_->watch.WriteOwnData([&] { dragout::PutFilesOnClipboard(Hwnd(), paths, effect); });
}

void MainWindow::HelpClick() { Shell().OpenHelp(); }
void MainWindow::AboutClick() { aboutBox->ShowModal(); }
void MainWindow::AddCapturedClick() { clipboard_->watch.AddCapturedClick(); }
void MainWindow::BackToListClick() { clipboard_->watch.BackToListClick(); }

void MainWindow::WMDrawClipboard() {
    if (clipboard_)
        clipboard_->watch.WMDrawClipboard();
}

void MainWindow::WMChangeCBChain(HWND leaving, HWND next) {
    if (clipboard_)
        clipboard_->watch.WMChangeCBChain(leaving, next);
}

void MainWindow::DragIconMouseDown(win::Image::Button button, int x, int y) {
    dragGesture_.MouseDown(button == win::Image::Button::Left, x, y);
}

void MainWindow::DragIconMouseMove(int x, int y) { dragGesture_.MouseMove(x, y); }

std::vector<std::wstring> MainWindow::ListedPaths() const { return fileList_->AllPaths(); }
size_t MainWindow::ListedCount() const { return fileList_->Count(); }
HWND MainWindow::IconWindow() const { return dragIcon->Hwnd(); }
bool MainWindow::IconPressed() const { return dragIcon->Pressed(); }
bool MainWindow::MoveModeDown() const { return moveModeButton->Down(); }
void MainWindow::DragEnded(const dragout::DragOutcome& outcome) {
    const std::wstring report = dragout::ReportText(outcome);
    ::SendMessageW(statusBar, SB_SETTEXTW, kReportPart, reinterpret_cast<LPARAM>(report.c_str()));
    // A move may have taken listed files away: their rows turn grey as the answers come.
    fileList_->Recheck();
}

void MainWindow::ListViewBeginDrag(int row) {
    if (row < 0 || static_cast<size_t>(row) >= fileList_->Count())
        return;
    const std::vector<std::wstring> one{fileList_->PathAt(static_cast<size_t>(row))};
    DragEnded(
        dragout::DragFiles(one, dropSource_, MoveModeDown() ? DROPEFFECT_MOVE : DROPEFFECT_COPY));
}

void MainWindow::OnCommand(int id) {
    switch (id) {
    case kIdSaveList:
        SaveListClick();
        break;
    case kIdCopyListAsText:
        CopyListAsTextClick();
        break;
    case kIdAddFromClipboardText:
        AddFromClipboardTextClick();
        break;
    case kIdKeepList:
        KeepListClick();
        break;
    case kIdRemoveMissing:
        RemoveMissingClick();
        break;
    case kIdProperties:
    case kIdListProperties:
        PropertiesClick();
        break;
    case kIdOpenFolder:
    case kIdListOpenFolder:
        OpenFolderClick();
        break;
    case kIdCopyFiles:
        CopyFilesClick();
        break;
    case kIdCutFiles:
        CutFilesClick();
        break;
    case kIdRegisterSendTo:
        RegisterSendToClick();
        break;
    case kIdHelp:
        HelpClick();
        break;
    case kIdAbout:
        AboutClick();
        break;
    case kIdRemoveItem:
        RemoveItemClick();
        break;
    case kIdUndo:
        UndoClick();
        break;
    case kIdListArea:
        ListAreaButtonClick();
        break;
    case kIdTopmost:
        TopmostButtonClick();
        break;
    case kIdClearList:
        ClearListClick();
        break;
    case kIdAddCaptured:
        AddCapturedClick();
        break;
    case kIdBackToList:
        BackToListClick();
        break;
    }
}

void MainWindow::ShowContextMenu(LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (lParam == -1) {
        // From the keyboard: open it at the focused item, or at the list's corner.
        RECT r{};
        auto index = fileList_->FocusedIndex();
        r.left = LVIR_LABEL;
        if (!index ||
            !::SendMessageW(listView, LVM_GETITEMRECT, *index, reinterpret_cast<LPARAM>(&r))) {
            r = {};
        }
        p = {r.left, r.bottom};
        ::ClientToScreen(listView, &p);
    }
    ::TrackPopupMenu(listMenu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, Hwnd(), nullptr);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        Realign();
        OnResize();
        return 0;
    case WM_DPICHANGED:
        DpiChanged(*reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        LRESULT result = 0;
        if (fileList_ && fileList_->HandleNotify(header, &result))
            return result;
        if (header.hwndFrom == listView && header.code == LVN_BEGINDRAG) {
            ListViewBeginDrag(reinterpret_cast<const NMLISTVIEW&>(header).iItem);
        }
        if (header.hwndFrom == listView && header.code == LVN_COLUMNCLICK) {
            ListViewColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        } else if (header.hwndFrom == listView && header.code == LVN_KEYDOWN) {
            ListViewKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
        }
        return 0;
    }
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == listView) {
            ShowContextMenu(lParam);
            return 0;
        }
        break;
    case WM_INITMENUPOPUP:
        ::EnableMenuItem(mainMenu, kIdUndo, fileList_->CanUndo() ? MF_ENABLED : MF_GRAYED);
        return 0;
    case WM_ENABLE:
        // A box of ours has closed: take the drops that came while it was open, once the
        // box is gone.
        if (wParam && (!pendingDrops_.empty() || !handedOver_.empty()))
            ::PostMessageW(Hwnd(), kTakePendingDrops, 0, 0);
        return 0;
    case kTakePendingDrops:
        TakePendingDrops();
        return 0;
    case kMissingAnswers:
        if (missingPrune_)
            missingPrune_->AnswersArrived();
        return 0;
    case WM_COPYDATA:
        // Anyone may send it, shaped any way: no data is no hand-over.
        return lParam != 0 &&
               SecondLaunchCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_DRAWCLIPBOARD:
        WMDrawClipboard();
        return 0;
    case WM_CHANGECBCHAIN:
        WMChangeCBChain(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_ACTIVATE:
        // As a dialog box does: the control that had the focus when another window (a box of
        // ours, another program) took the activation has it again when the window gets it back.
        if (LOWORD(wParam) == WA_INACTIVE)
            RememberFocus();
        else if (!HIWORD(wParam))
            GiveFocusBack();
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
            ReleasePendingDrops();
            OnDestroy();
        }
        if (application_.IsRunning())
            ::PostQuitMessage(0);
        return 0;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

} // namespace app
