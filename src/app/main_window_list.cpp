// What the list's own gestures and the parts' host interfaces ask of the window: a removal
// with its question, the list's keys and menu, a row dragged out, the switches a drop or a drag
// reads.
#include "app/main_window.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "app/shell_actions.h"
#include "dragout/clipboard_files.h"
#include "filelist/list_commands.h"

namespace app {

void MainWindow::RemoveSelectedItems() {
    const size_t count = fileList_->SelectedCount();
    // With nothing selected, the focused entry is the one meant, as it always was.
    const std::optional<size_t> focused = count == 0 ? fileList_->FocusedIndex() : std::nullopt;
    if (count == 0 && !focused) {
        Dialogs().ShowMessage(Hwnd(), kNoFileSelected);
        return;
    }
    const std::wstring question =
        count > 1 ? L"選択した " + std::to_wstring(count) + L" 件をリストから削除しますか？"
                  : (focused ? fileList_->PathAt(*focused) : fileList_->SelectedPaths().front()) +
                        L"をリストから削除しますか？";
    if (!Dialogs().Confirm(Hwnd(), question))
        return;
    if (focused)
        fileList_->RemoveAt(*focused);
    else
        fileList_->RemoveSelected();
    fileList_->UpdateCountDisplay();
}

void MainWindow::UndoLastChange() { fileList_->Undo(); }

void MainWindow::PutListedFilesOnClipboard(DWORD effect) {
    if (fileList_->Count() == 0) {
        Dialogs().ShowMessage(Hwnd(), filelist::kEmptyList);
        return;
    }
    const std::vector<std::wstring> paths = fileList_->AllPaths();
    clipboard_->watch.WriteOwnData([&] { dragout::PutFilesOnClipboard(Hwnd(), paths, effect); });
}

void MainWindow::PutSelectedFilesOnClipboard(DWORD effect) {
    const std::vector<std::wstring> paths = fileList_->SelectedPaths();
    if (paths.empty()) {
        Dialogs().ShowMessage(Hwnd(), kNoFileSelected);
        return;
    }
    clipboard_->watch.WriteOwnData([&] { dragout::PutFilesOnClipboard(Hwnd(), paths, effect); });
}

void MainWindow::ListKeyDown(WORD key) {
    if (::GetKeyState(VK_MENU) < 0 || ::GetKeyState(VK_SHIFT) < 0)
        return;
    if (::GetKeyState(VK_CONTROL) < 0) {
        if (key == 'A')
            fileList_->SelectAll();
        else if (key == 'C')
            RunCommand(kIdCopySelectedFiles);
        else if (key == 'X')
            RunCommand(kIdCutSelectedFiles);
    } else if (key == VK_DELETE) {
        RunCommand(kIdRemoveItem);
    } else if (key == VK_RETURN) {
        // As in a folder window: with nothing selected, the key does nothing.
        if (fileList_->SelectedCount() > 0)
            RunCommand(kIdOpenSelected);
    } else if (key == VK_F2) {
        if (auto index = fileList_->FocusedIndex())
            win::ListView(ui_.listView).EditLabel(*index);
    }
}

void MainWindow::ShowContextMenu(LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (lParam == -1) {
        // From the keyboard: open it at the focused item, or at the list's corner.
        const std::optional<size_t> index = fileList_->FocusedIndex();
        const RECT r =
            (index ? win::ListView(ui_.listView).ItemRect(*index, LVIR_LABEL) : std::nullopt)
                .value_or(RECT{});
        p = {r.left, r.bottom};
        ::ClientToScreen(ui_.listView, &p);
    }
    listMenuPoint_ = p;
    ::TrackPopupMenu(ui_.listMenu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, Hwnd(),
                     nullptr);
}

void MainWindow::ShowShellMenu() {
    const std::vector<std::wstring> paths = fileList_->SelectedPaths();
    if (paths.empty()) {
        Dialogs().ShowMessage(Hwnd(), kNoFileSelected);
        return;
    }
    // A copy or cut of listed files is not captured as new files to list.
    shellMenu_.Show(Hwnd(), listMenuPoint_, paths, [this](const std::function<void()>& verb) {
        clipboard_->watch.WriteOwnData(verb);
    });
    // A verb may have deleted, moved or renamed files: their rows turn grey as the answers come.
    fileList_->Recheck();
}

void MainWindow::DragRow(int row) {
    if (row < 0 || static_cast<size_t>(row) >= fileList_->Count())
        return;
    // A row pressed outside the selection becomes the selection, as in the shell.
    if (!fileList_->IsSelected(static_cast<size_t>(row)))
        fileList_->SelectOnly(static_cast<size_t>(row));
    DragEnded(dragout::DragFiles(afterDrag_->HandOver(true), dropSource_,
                                 MoveModeDown() ? DROPEFFECT_MOVE : DROPEFFECT_COPY));
}

std::vector<std::wstring> MainWindow::ListedPaths() { return afterDrag_->HandOver(false); }
size_t MainWindow::ListedCount() const { return fileList_->Count(); }
HWND MainWindow::IconWindow() const { return ui_.dragIcon->Hwnd(); }
bool MainWindow::IconPressed() const { return ui_.dragIcon->Pressed(); }
bool MainWindow::MoveModeDown() const { return ui_.moveModeButton->Down(); }
void MainWindow::DragEnded(const dragout::DragOutcome& outcome) {
    // The report, and the entries taken off as "ドラッグ後(&A)" says.
    afterDrag_->Ended(outcome);
    // A move may have taken listed files away: their rows turn grey as the answers come.
    fileList_->Recheck();
}

bool MainWindow::ShortcutSwitchDown() const { return ui_.shortcutButton->Down(); }
bool MainWindow::ListDropsAllowed() const { return settings_.canDropFileList; }
bool MainWindow::TopmostSwitchDown() const { return settings_.topmost; }
HWND MainWindow::MainHwnd() const { return Hwnd(); }

} // namespace app
