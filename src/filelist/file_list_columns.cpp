// The sort by a column's header and the columns beside the path with their details, both read
// off the window's thread (see FileList).
#include "filelist/file_list.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace filelist {
void FileList::SortByColumn(int column) {
    // Each kind of column keeps its sign wherever it is shown.
    if (!sort_.Start(static_cast<int>(columns_.ColumnAt(column))))
        return; // sorted by once the sort under way is done
    sortProgress_ = statusBar_.BeginProgress(
        [this] { return L"並べ替え中… " + std::to_wstring(std::max(sort_.Percent(), 0)) + L"%"; });
}

void FileList::Sorted(SortedList& sorted) {
    if (!sort_.Waiting()) // else the next click's sort goes on under the same progress
        sortProgress_.End();
    const std::optional<uint32_t> focusedStamp = FocusedStamp();
    sort_.Apply(sorted);
    Reshaped();
    ForgetQuestions();
    ShowModelSelection(focusedStamp);
    Redraw();
    if (onSorted)
        onSorted();
}

void FileList::ShowColumns(const std::vector<ShownColumn>& columns) {
    columns_.Show(columns);
    ColumnsChanged();
}

void FileList::ColumnsChanged() {
    const bool added = columns_.AddedShown();
    facts_.KeepDetails(added);
    ::InvalidateRect(listView_, nullptr, TRUE);
    if (onColumnsChanged)
        onColumnsChanged();
}

int FileList::SortedViewColumn() const noexcept {
    const int sorted = model_.SortedColumn();
    return sorted < 0 ? -1 : columns_.ViewColumnOf(static_cast<DetailColumn>(sorted));
}

void FileList::DetailsRead(const std::vector<size_t>& indices) {
    // Only the rows whose details came are drawn again, not the whole list.
    size_t first = SIZE_MAX, last = 0;
    for (size_t index : indices) {
        if (const std::optional<size_t> row = rows_.RowOf(index)) {
            first = std::min(first, *row);
            last = std::max(last, *row);
        }
    }
    if (first <= last)
        view_.RedrawItems(first, last);
}

} // namespace filelist
