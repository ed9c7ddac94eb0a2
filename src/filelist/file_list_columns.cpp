// The sort by a column's header and the columns beside the path with their details, both read
// off the window's thread (see FileList).
#include "filelist/file_list.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace filelist {
namespace {

// How long a sort runs before the status bar says how far it has come.
constexpr UINT kSortProgressMs = 200;
constexpr WPARAM kProgressPart = 1;

} // namespace

void FileList::SortByColumn(int column) {
    if (sorter_.Running())
        return;
    // Each kind of column keeps its sign wherever it is shown.
    sortColumn_ = static_cast<int>(columns_.ColumnAt(column));
    ::SetTimer(listView_, kSortProgressTimer, kSortProgressMs, nullptr);
    StartSort();
}

void FileList::StartSort() {
    reshapesAtSortStart_ = model_.ChangesOtherThanAppends();
    sorter_.Start(model_.Freeze(), model_.SortSign(sortColumn_),
                  static_cast<DetailColumn>(sortColumn_));
}

void FileList::SortEnded() {
    std::optional<std::vector<uint32_t>> order = sorter_.TakeOrder();
    if (sorter_.Running())
        return; // the notice of a sort that has since been replaced
    if (order && model_.ChangesOtherThanAppends() != reshapesAtSortStart_) {
        // Entries were removed or moved meanwhile: the order no longer fits, so the same sort
        // runs again over the list as it now is.
        StartSort();
        return;
    }
    ::KillTimer(listView_, kSortProgressTimer);
    if (progressShown_) {
        ShowSortProgress(order ? L"" : L"並べ替えを取り消しました");
        progressShown_ = false;
    }
    if (!order)
        return;
    // What the sort had to read is the list's too, taken while the places still fit.
    for (const DetailQuestion& read : sorter_.TakeReadDetails())
        model_.TakeDetails(read.index, read.stamp, read.details);
    model_.TakeSortSign(sortColumn_);
    const std::optional<uint32_t> focusedStamp = FocusedStamp();
    if (!order->empty())
        model_.Reorder(*order);
    Reshaped();
    ForgetQuestions();
    ShowModelSelection(focusedStamp);
    Redraw();
    if (onSorted)
        onSorted();
}

void FileList::ShowSortProgress(const std::wstring& text) {
    progressShown_ = true;
    ::SendMessageW(statusBar_, SB_SETTEXTW, kProgressPart, reinterpret_cast<LPARAM>(text.c_str()));
}

void FileList::ShowColumns(const std::vector<ShownColumn>& columns) {
    columns_.Show(columns);
    ColumnsChanged();
}

void FileList::ColumnsChanged() {
    const bool added = columns_.AddedShown();
    model_.KeepDetails(added);
    if (added && !detailReader_)
        detailReader_ = std::make_unique<DetailReader>(listView_, kDetailsMessage);
    else if (!added)
        detailReader_.reset();
    ::InvalidateRect(listView_, nullptr, TRUE);
    if (onColumnsChanged)
        onColumnsChanged();
}

int FileList::SortedViewColumn() const noexcept {
    const int sorted = model_.SortedColumn();
    return sorted < 0 ? -1 : columns_.ViewColumnOf(static_cast<DetailColumn>(sorted));
}

void FileList::TakeDetails() {
    if (!detailReader_)
        return;
    // Only the rows whose details came are drawn again, not the whole list.
    size_t first = SIZE_MAX, last = 0;
    for (const DetailQuestion& answer : detailReader_->TakeAnswers()) {
        if (!model_.TakeDetails(answer.index, answer.stamp, answer.details))
            continue;
        if (const std::optional<size_t> row = rows_.RowOf(answer.index)) {
            first = std::min(first, *row);
            last = std::max(last, *row);
        }
    }
    if (first <= last)
        ::SendMessageW(listView_, LVM_REDRAWITEMS, first, last);
}

} // namespace filelist
