// The list's commands, its keys and its menu.
#include <windowsx.h>

#include "filelist/list_commands.h"
#include "filelist/list_part.h"
#include "win/list_view.h"

namespace filelist {

win::ShellActions ListPart::Shell() const {
    return win::ShellActions(places_.window, services_.shell, services_.dialogs);
}

bool ListPart::RunCommand(int id) {
    const HWND owner = places_.window;
    FileList& list = *list_;
    switch (id) {
    case kIdUndo:
        if (list.CanUndo())
            list.Undo();
        return true;
    case kIdFilter:
        services_.listArea.ShowListArea();
        filter_->Show();
        return true;
    case kIdSaveList:
        SaveList(owner, list, services_.dialogs);
        return true;
    case kIdCopyListAsText:
        CopyListToClipboard(owner, list, services_.dialogs);
        return true;
    case kIdAddFromClipboardText:
        TakePathsFromClipboard(owner, list, services_.dialogs);
        return true;
    case kIdProperties:
    case kIdListProperties:
        Shell().FilePropertiesOf(list.SelectedCount(), list.FocusedText());
        return true;
    case kIdOpenFolder:
    case kIdListOpenFolder:
        Shell().FolderOf(list.SelectedCount(), list.FocusedText());
        return true;
    case kIdOpenSelected:
        Shell().OpenFiles(list.SelectedPaths());
        return true;
    case kIdShellMenu:
        ShowShellMenu();
        return true;
    case kIdRemoveItem:
        RemoveSelectedItems();
        return true;
    case kIdRemoveMissing:
        prune_->Start();
        return true;
    case kIdKeepList:
        ChooseKeepList(!settings_.keepList);
        keptList_->ListChanged();
        return true;
    }
    return false;
}

void ListPart::MenuOpening(HMENU menu) {
    ::EnableMenuItem(menu, kIdUndo, list_->CanUndo() ? MF_ENABLED : MF_GRAYED);
}

void ListPart::ListKeyDown(WORD key) {
    if (::GetKeyState(VK_MENU) < 0 || ::GetKeyState(VK_SHIFT) < 0)
        return;
    // The keys ask for their commands as the menus do: copying or cutting the files themselves is
    // not the list's to do.
    const auto command = [this](int id) { ::SendMessageW(places_.window, WM_COMMAND, id, 0); };
    if (::GetKeyState(VK_CONTROL) < 0) {
        if (key == 'A')
            list_->SelectAll();
        else if (key == 'C')
            command(kIdCopySelectedFiles);
        else if (key == 'X')
            command(kIdCutSelectedFiles);
    } else if (key == VK_DELETE) {
        RunCommand(kIdRemoveItem);
    } else if (key == VK_RETURN) {
        // As in a folder window: with nothing selected, the key does nothing.
        if (list_->SelectedCount() > 0)
            RunCommand(kIdOpenSelected);
    } else if (key == VK_F2) {
        if (auto index = list_->FocusedIndex())
            win::ListView(view_).EditLabel(*index);
    }
}

void ListPart::RemoveSelectedItems() {
    FileList& list = *list_;
    const size_t count = list.SelectedCount();
    // With nothing selected, the focused entry is the one meant, as it always was.
    const std::optional<size_t> focused = count == 0 ? list.FocusedIndex() : std::nullopt;
    if (count == 0 && !focused) {
        services_.dialogs.ShowMessage(places_.window, win::kNoFileSelected);
        return;
    }
    const std::wstring question =
        count > 1 ? L"選択した " + std::to_wstring(count) + L" 件をリストから削除しますか？"
                  : (focused ? list.PathAt(*focused) : list.SelectedPaths().front()) +
                        L"をリストから削除しますか？";
    if (!services_.dialogs.Confirm(places_.window, question))
        return;
    if (focused)
        list.RemoveAt(*focused);
    else
        list.RemoveSelected();
    list.UpdateCountDisplay();
}

void ListPart::ShowContextMenu(LPARAM at) {
    POINT p{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1) {
        // From the keyboard: open it at the focused item, or at the list's corner.
        const std::optional<size_t> index = list_->FocusedIndex();
        const RECT r = (index ? win::ListView(view_).ItemRect(*index, LVIR_LABEL) : std::nullopt)
                           .value_or(RECT{});
        p = {r.left, r.bottom};
        ::ClientToScreen(view_, &p);
    }
    menuPoint_ = p;
    ::TrackPopupMenu(places_.listMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, places_.window,
                     nullptr);
}

void ListPart::ShowShellMenu() {
    const std::vector<std::wstring> paths = list_->SelectedPaths();
    if (paths.empty()) {
        services_.dialogs.ShowMessage(places_.window, win::kNoFileSelected);
        return;
    }
    // A copy or cut of listed files is not captured as new files to list.
    shellMenu_.Show(places_.window, menuPoint_, paths, [this](const std::function<void()>& verb) {
        services_.ownClipboard.Write(verb);
    });
    // A verb may have deleted, moved or renamed files: their rows turn grey as the answers come.
    list_->Recheck();
}

} // namespace filelist
