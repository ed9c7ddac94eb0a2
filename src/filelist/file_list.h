// The file list: the ordered paths that are the program's whole model, shown by a virtual
// list view in the same order, with the count display in the status bar.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "filelist/sort_rules.h"

namespace filelist {

class FileList {
public:
    // listView must be a report list view with LVS_OWNERDATA; statusBar shows the count in part 0.
    FileList(HWND listView, HWND statusBar);
    ~FileList();
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    // Adds one entry at the end, exactly as given. The view catches up at the next
    // UpdateCountDisplay, or by itself once the current message has been handled.
    void AppendPath(std::wstring path);
    // Shows the number of entries in plain decimal and brings the view up to date.
    void UpdateCountDisplay();

    // Every entry, first to last in display order.
    const std::vector<std::wstring>& AllPaths() const noexcept { return paths_; }
    size_t Count() const noexcept { return paths_.size(); }

    // The list view's focus item, which need not be selected.
    std::optional<size_t> FocusedIndex() const;
    std::optional<std::wstring> FocusedText() const;
    size_t SelectedCount() const;

    void RemoveAt(size_t index);
    void Clear();

    // One level of undo for what a removal, clearing or in-place edit took away. Appends keep
    // it; the next destructive change replaces it. Undo puts the entries back where they
    // stood and brings the count display up to date.
    bool CanUndo() const noexcept { return undo_.kind != UndoKind::None; }
    void Undo();
    // Sorts by column with the column's sign, then negates the sign.
    void SortByColumn(int column);
    const SortSigns& Signs() const noexcept { return signs_; }

    // Notifications from the list view (its parent forwards them); true when handled,
    // with the notification's result in *result.
    bool HandleNotify(const NMHDR& header, LRESULT* result);

    HWND ListView() const noexcept { return listView_; }

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    void SyncView();
    void RememberRemoval(std::vector<std::wstring> texts, std::vector<size_t> positions);

    enum class UndoKind { None, Removal, Edit };
    struct UndoStep {
        UndoKind kind = UndoKind::None;
        // Removal: the entries taken, in list order. Edit: the text before and after.
        std::vector<std::wstring> texts;
        // Removal: where each entry stood; empty when they were the whole list. Edit: the one
        // entry's place.
        std::vector<size_t> positions;
    };

    HWND listView_;
    HWND statusBar_;
    std::vector<std::wstring> paths_;
    SortSigns signs_;
    UndoStep undo_;
    bool syncPosted_ = false;
};

} // namespace filelist
