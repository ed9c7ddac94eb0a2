// The selection on screen: the view keeps it by rows, the model by entries, and each follows
// the other (see FileList).
#include "filelist/file_list.h"

#include <commctrl.h>

#include <algorithm>

namespace filelist {

void FileList::SetViewState(int row, UINT state, UINT mask) {
    // A change of every row is one message, but some views still visit each row to redraw it:
    // with drawing off, a million rows take no longer than the change itself.
    if (row < 0)
        view_.SetRedraw(false);
    view_.SetItemState(row, state, mask);
    if (row < 0) {
        view_.SetRedraw(true);
        ::InvalidateRect(listView_, nullptr, FALSE);
    }
}

void FileList::SelectAll() {
    model_.SelectAll(true);
    MirrorSelection([&] { SetViewState(-1, LVIS_SELECTED, LVIS_SELECTED); });
}

void FileList::SelectOnly(size_t row) {
    if (row >= Count())
        return;
    model_.SelectAll(false);
    model_.Select(rows_.Entry(row), true);
    ShowModelSelection(model_.Stamp(rows_.Entry(row)));
}

void FileList::ShowModelSelection(std::optional<uint32_t> focusedStamp,
                                  std::optional<size_t> otherwiseFocused) {
    MirrorSelection([&] { MirrorModelSelection(focusedStamp, otherwiseFocused); });
}

void FileList::MirrorModelSelection(std::optional<uint32_t> focusedStamp,
                                    std::optional<size_t> otherwiseFocused) {
    const size_t count = Count();
    // Emptied and filled again, the view forgets every row's state at once, where clearing it
    // row by row would take a visit to each of a million rows; its scroll position is kept.
    const int top = view_.TopIndex();
    view_.SetRedraw(false);
    view_.DeleteAllItems();
    view_.SetItemCount(count, LVSICF_NOSCROLL);
    if (const std::optional<RECT> row = top > 0 ? view_.ItemRect(0) : std::nullopt)
        view_.Scroll(0, top * (row->bottom - row->top));
    view_.SetRedraw(true);
    ::InvalidateRect(listView_, nullptr, FALSE);
    if (count > 0 && model_.SelectedCount() == count) {
        SetViewState(-1, LVIS_SELECTED, LVIS_SELECTED);
    } else {
        for (size_t i = 0; i < count; ++i) {
            if (model_.IsSelected(rows_.Entry(i)))
                SetViewState(static_cast<int>(i), LVIS_SELECTED, LVIS_SELECTED);
        }
    }
    std::optional<size_t> focus = otherwiseFocused;
    for (size_t i = 0; focusedStamp && i < count; ++i) {
        if (model_.Stamp(rows_.Entry(i)) == *focusedStamp) {
            focus = i;
            break;
        }
    }
    if (focus && *focus < count) {
        SetViewState(static_cast<int>(*focus), LVIS_FOCUSED, LVIS_FOCUSED);
        view_.EnsureVisible(*focus);
    }
}

void FileList::SelectionChanged(const NMHDR& header) {
    if (showingSelection_)
        return;
    if (header.code == LVN_ODSTATECHANGED) {
        const auto& range = reinterpret_cast<const NMLVODSTATECHANGE&>(header);
        if ((range.uNewState ^ range.uOldState) & LVIS_SELECTED && range.iFrom >= 0 &&
            range.iTo >= range.iFrom && static_cast<size_t>(range.iTo) < Count()) {
            // The entries between two shown ones that are not shown are hidden, which a range
            // passes over.
            model_.SelectRange(rows_.Entry(static_cast<size_t>(range.iFrom)),
                               rows_.Entry(static_cast<size_t>(range.iTo)),
                               (range.uNewState & LVIS_SELECTED) != 0);
        }
        return;
    }
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (!(change.uChanged & LVIF_STATE) || !((change.uNewState ^ change.uOldState) & LVIS_SELECTED))
        return;
    const bool selected = (change.uNewState & LVIS_SELECTED) != 0;
    // A change of every row at once comes as one notice for row -1.
    if (change.iItem < 0)
        model_.SelectAll(selected);
    else if (static_cast<size_t>(change.iItem) < Count())
        model_.Select(rows_.Entry(static_cast<size_t>(change.iItem)), selected);
}

size_t FileList::RemoveSelected() {
    SyncView();
    size_t first = 0;
    while (first < Count() && !IsSelected(first))
        ++first;
    const size_t removed = model_.RemoveSelected();
    if (removed == 0)
        return 0;
    rows_.Rebuild(model_);
    ForgetQuestions();
    // As in the shell, the entry that took the first removed one's place is focused and selected.
    std::optional<uint32_t> next;
    if (Count() > 0) {
        const size_t entry = rows_.Entry(std::min(first, Count() - 1));
        model_.Select(entry, true);
        next = model_.Stamp(entry);
    }
    ShowModelSelection(next);
    Redraw();
    return removed;
}

} // namespace filelist
