// The file list: the ordered paths that are the program's whole model, shown by a virtual
// list view in the same order, with the count display in the status bar.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "filelist/path_checker.h"
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

    // Every entry has a stamp that no other entry, earlier or later, has had: a new one on
    // append and on edit. An answer about an entry holds only while its stamp is the same.
    uint64_t StampAt(size_t index) const noexcept { return marks_[index].stamp; }

    void RemoveAt(size_t index);
    // Removes the entries with these stamps, keeping the order of the rest; returns how many.
    size_t RemoveStamped(const std::unordered_set<uint64_t>& stamps);
    // The edit in place: the entry's text replaced, and with it its stamp.
    void ReplaceAt(size_t index, std::wstring path);
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

    // Entries whose file or folder is gone are drawn in the grey text colour. The rows on
    // screen are checked as they are drawn; Recheck forgets what is known so that they are
    // checked again, keeping their colour until the new answer comes.
    void Recheck();
    // Whether the entry's file or folder is missing, as far as an answer has come in.
    std::optional<bool> KnownMissing(size_t index) const noexcept;
    // How existence is asked (tests make it slow or scripted); the checks already made are
    // forgotten.
    void SetExistsFunction(ExistsFunction exists);
    const ExistsFunction& Exists() const noexcept { return exists_; }

private:
    enum MarkState : uint8_t { kMissing = 1, kChecked = 2, kAsked = 4 };
    struct Mark {
        uint64_t stamp;
        uint8_t state;
    };
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
    void TakeAnswers();
    // After entries moved: the questions out about them would be answered for the wrong place.
    void ForgetQuestions();
    Mark NewMark() noexcept { return {++lastStamp_, 0}; }

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
    // Beside paths_, entry for entry.
    std::vector<Mark> marks_;
    uint64_t lastStamp_ = 0;
    ExistsFunction exists_ = PathExists;
    std::unique_ptr<PathChecker> checker_;
    SortSigns signs_;
    UndoStep undo_;
    bool syncPosted_ = false;
};

} // namespace filelist
