// The file list on screen: the list model shown by a virtual list view in the same order, with
// the count display in the status bar. Every change goes through here, so the view follows the
// model: the item count, the texts the view asks for, redraws, the focus, the grey rows of
// missing files, the editor in place, and the sort a column click starts.
//
// While a filter is on the view shows only the entries it lets through, and everything here that
// takes or gives a row, a count or "every path" means the shown entries: what the user sees is
// what a command takes. Model() is the whole list.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "filelist/detail_columns.h"
#include "filelist/file_facts.h"
#include "filelist/list_accessibility.h"
#include "filelist/list_filter.h"
#include "filelist/list_jobs.h"
#include "filelist/list_model.h"
#include "filelist/path_checker.h"
#include "filelist/row_icons.h"
#include "win/list_view.h"
#include "win/returns.h"
#include "win/status_bar.h"
#include "win/subclass.h"

namespace filelist {

class FileList {
public:
    // listView must be a report list view with LVS_OWNERDATA; statusBar shows the count and how
    // far a long sort has come.
    FileList(HWND listView, win::StatusBar& statusBar);
    ~FileList();
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    const ListModel& Model() const noexcept { return model_; }

    // Adds one entry at the end, exactly as given. The view catches up at the next
    // UpdateCountDisplay, or by itself once the current message has been handled.
    void AppendPath(std::wstring_view path);
    // Shows the number of entries in plain decimal and brings the view up to date.
    void UpdateCountDisplay();
    // Every entry of list (made on another thread) at the end at once, shown at the next
    // UpdateCountDisplay.
    void AppendList(ListModel&& list);

    // Copies of every shown entry, first to last in display order.
    std::vector<std::wstring> AllPaths() const;
    std::wstring PathAt(size_t row) const { return std::wstring(TextAt(row)); }
    std::wstring_view TextAt(size_t row) const noexcept { return model_.Text(rows_.Entry(row)); }
    // The shown entries; TotalCount counts the hidden ones too.
    size_t Count() const noexcept { return rows_.Count(model_); }
    size_t TotalCount() const noexcept { return model_.Count(); }

    // The filter: only the entries whose path contains every word of text are shown (as the
    // system compares names); an empty text shows everything. The words are matched on a worker,
    // the newest text winning, and the rows change once it is done; entries appended meanwhile
    // are matched as they come. Hidden entries are never selected.
    void SetFilter(std::wstring_view text);
    bool Filtered() const noexcept { return rows_.On(); }
    bool Filtering() const noexcept { return filter_.Running(); }
    // Runs when the shown entries or their count may have changed (with the count display).
    std::function<void()> onShownChanged;

    // The list view's focus item, which need not be selected.
    std::optional<size_t> FocusedIndex() const;
    std::optional<std::wstring> FocusedText() const;
    size_t SelectedCount() const noexcept { return model_.SelectedCount(); }
    // The selected entries' texts, in list order.
    std::vector<std::wstring> SelectedPaths() const { return model_.SelectedTexts(); }
    bool IsSelected(size_t row) const noexcept {
        return row < Count() && model_.IsSelected(rows_.Entry(row));
    }
    // Ctrl+A: every entry selected at once, whatever the list's length.
    void SelectAll();
    // Only this entry selected, and focused.
    void SelectOnly(size_t index);

    uint32_t StampAt(size_t row) const noexcept { return model_.Stamp(rows_.Entry(row)); }

    void RemoveAt(size_t index);
    // Removes the selected entries as one step to undo; the entry after them takes the focus.
    size_t RemoveSelected();
    // Removes the entries with these stamps, keeping the order of the rest; returns how many.
    size_t RemoveStamped(const std::unordered_set<uint32_t>& stamps);
    // The edit in place: the entry's text replaced, and with it its stamp.
    void ReplaceAt(size_t index, std::wstring_view path);
    // Every shown entry taken away, as one step to undo.
    void Clear();

    bool CanUndo() const noexcept { return model_.CanUndo(); }
    // Puts back what the last removal, clearing or edit took, and brings the count display up
    // to date.
    void Undo();

    // Sorts by the column with the column's sign, on a worker: the window answers meanwhile,
    // the status bar shows how far it has come, CancelSort (Esc) stops it. When it is done the
    // list shows the new order, the sign turns for the next sort and onSorted runs. A click
    // while a sort runs is sorted by after it, as a click of its own.
    void SortByColumn(int column);
    bool Sorting() const noexcept { return sort_.Running(); }
    // The sort under way and the clicks waiting behind it are given up.
    void CancelSort() { sort_.Cancel(); }
    std::function<void()> onSorted;

    // The columns shown (the path first, always there) with their widths in 96-DPI units. While
    // a column beside the path is shown, the details of the rows in view are read off the
    // window's thread and kept with the entries; a right click on the header picks the columns.
    std::vector<ShownColumn> Columns() const { return columns_.Shown(); }
    void ShowColumns(const std::vector<ShownColumn>& columns);
    bool AddedColumnsShown() const noexcept { return columns_.AddedShown(); }
    // Where the view shows the column sorted last, or -1.
    int SortedViewColumn() const noexcept;
    // Runs after the columns shown changed.
    std::function<void()> onColumnsChanged;

    // Runs after every change of the entries (append, removal, clearing, edit, sort, undo),
    // once the view has caught up.
    std::function<void()> onChanged;

    // Notifications from the list view (its parent forwards them); true when handled,
    // with the notification's result in *result.
    bool HandleNotify(const NMHDR& header, LRESULT* result);

    // Entries whose file or folder is gone are drawn in the grey text colour. The rows on
    // screen are checked as they are drawn; Recheck forgets what is known so that they are
    // checked again, keeping their colour until the new answer comes.
    void Recheck();
    // Whether the entry's file or folder is missing, as far as an answer has come in.
    std::optional<bool> KnownMissing(size_t row) const noexcept {
        return row < Count() ? model_.KnownMissing(rows_.Entry(row)) : std::nullopt;
    }
    // How existence is asked (tests make it slow or scripted); the checks already made are
    // forgotten.
    void SetExistsFunction(ExistsFunction exists);
    const ExistsFunction& Exists() const noexcept { return facts_.Exists(); }

    // Each row shows the small icon of its kind of file at the DPI given (the window's when
    // made); a missing file's icon is greyed like its text. The columns keep their designed
    // widths at it.
    void SetIconDpi(int dpi);
    // How the icon of a kind of file is looked up (tests count the look-ups).
    void SetIconLookup(IconLookup lookup);

    // The jobs, for tests that hold them to change the list while they run.
    win::JobRunner& FilterJob() noexcept { return filter_.Job(); }
    win::JobRunner& SortJob() noexcept { return sort_.Job(); }
    FileFacts& Facts() noexcept { return facts_; }

private:
    std::optional<LRESULT> ListMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
    void FileChanged(size_t index, bool missingChanged);
    void DetailsRead(const std::vector<size_t>& indices);
    void ColumnsChanged();
    void Sorted(SortedList& sorted);
    void FilterMatched(std::vector<uint32_t> shown);
    // The view's item count made the model's; with everything redrawn when entries moved.
    void SyncView();
    void Redraw();
    // After entries moved: the questions out about them would be answered for the wrong place.
    void ForgetQuestions();
    // The view keeps its selection by rows: after entries moved it is made the model's again,
    // and the focus put on the entry with this stamp if it is still there, else on that row.
    // The view's item count is made the model's on the way, so it comes before Redraw: a view
    // shrunk by itself may spend a while dropping the states of the rows it loses.
    void ShowModelSelection(std::optional<uint32_t> focusedStamp,
                            std::optional<size_t> otherwiseFocused = std::nullopt);
    void MirrorModelSelection(std::optional<uint32_t> focusedStamp,
                              std::optional<size_t> otherwiseFocused);
    void SetViewState(int row, UINT state, UINT mask);
    void SelectionChanged(const NMHDR& header);
    // After entries moved or went: the rows made again, and the filter run again when entries
    // may have come back that it has not seen.
    void Reshaped(bool matchAgain = false);
    std::optional<uint32_t> FocusedStamp() const;

    HWND listView_;
    win::ListView view_;
    win::StatusBar& statusBar_;
    win::ProgressText sortProgress_;
    win::Returns& returns_;
    // Whether this object is still there, for what it hands back to itself.
    std::shared_ptr<FileList*> self_;

    ListModel model_;
    ShownRows rows_;
    ListFilter filter_;
    ListSort sort_;
    FileFacts facts_;
    RowIcons icons_;
    DetailColumns columns_;
    uint64_t changesSeen_ = 0;
    bool syncPosted_ = false;
    // The selection is the model's; the view only mirrors it. While the view is being told of
    // it (or loses rows), what it says back of its rows' states is no news.
    bool showingSelection_ = false;
    template <typename Change> void MirrorSelection(const Change& change) {
        const bool outer = std::exchange(showingSelection_, true);
        try {
            change();
        } catch (...) {
            showingSelection_ = outer;
            throw;
        }
        showingSelection_ = outer;
    }
    // What a screen reader reads of the rows.
    std::shared_ptr<ListAccessibility> accessibility_;
    win::Subclass subclass_;
};

} // namespace filelist
