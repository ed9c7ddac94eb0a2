// The file list itself, apart from any window: the entries in display order, each entry's
// identity stamp and what is known of its file, one level of undo, and the order after a sort.
//
// The texts live in large blocks of characters that only grow, with a position and a length per
// entry, so a million paths cost a few allocations rather than a million. A block is freed once
// no entry and no undo step uses it. Another thread reads the list through a FrozenList, which
// shares the blocks and so stays valid whatever the list does meanwhile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "filelist/file_details.h"
#include "filelist/list_texts.h"
#include "filelist/side_data.h"
#include "filelist/sort_rules.h"

namespace filelist {

namespace detail {

struct Entry {
    uint32_t block;
    uint32_t offset;
    // The text's length in the low 24 bits, what is known of the file in the high 8.
    uint32_t lengthAndState;
    uint32_t stamp;

    uint32_t Length() const noexcept { return lengthAndState & 0xFFFFFF; }
    uint8_t State() const noexcept { return static_cast<uint8_t>(lengthAndState >> 24); }
    void SetState(uint8_t state) noexcept {
        lengthAndState = (lengthAndState & 0xFFFFFF) | (uint32_t{state} << 24);
    }
};

// A million entries are 16 MB of them.
static_assert(sizeof(Entry) == 16);

using Block = std::shared_ptr<wchar_t[]>;

} // namespace detail

// The list as it was at one moment, readable from any thread.
class FrozenList {
public:
    size_t Count() const noexcept { return entries_.size(); }
    std::wstring_view Text(size_t index) const noexcept;
    uint32_t Stamp(size_t index) const noexcept { return entries_[index].stamp; }
    // Whether the entry was drawn as a folder (see ListModel::ShownFolder).
    bool ShownFolder(size_t index) const noexcept;
    ListTexts Texts() const;
    // Every text into texts, its memory used again: the kept list takes the list this way at
    // each change, and a million entries would otherwise be new memory every time.
    void CopyTexts(ListTexts& texts) const;
    // Each entry's details as they were, when the list kept them; else none.
    const std::vector<FileDetails>& Details() const noexcept { return details_; }

private:
    friend class ListModel;
    std::vector<detail::Entry> entries_;
    std::vector<FileDetails> details_;
    std::vector<detail::Block> blocks_;
};

class ListModel {
public:
    // The longest text an entry can hold; a path is far shorter.
    static constexpr size_t kLongestText = (size_t{1} << 24) - 1;

    ListModel();

    size_t Count() const noexcept { return entries_.size(); }
    std::wstring_view Text(size_t index) const noexcept;
    // Every entry has a stamp that no other entry, earlier or later, has had: a new one on
    // append, on edit and when an undo brings it back. An answer about an entry holds only
    // while its stamp is the same.
    uint32_t Stamp(size_t index) const noexcept { return entries_[index].stamp; }
    // Copies of every text, first to last.
    std::vector<std::wstring> Texts() const;
    FrozenList Freeze() const;

    // Changes. Appends keep what can be undone; a removal, a clearing or an edit that changes
    // a text replaces it. Throws std::length_error for a text over kLongestText.
    void Append(std::wstring_view text);
    void RemoveAt(size_t index);
    // Removes every entry whose index remove(index) is true for, keeping the order of the
    // rest, as one step to undo; returns how many went.
    template <typename Remove> size_t RemoveWhere(Remove remove);
    void Replace(size_t index, std::wstring_view text);
    void Clear();
    // The entries of other, a list only appended to (made on another thread, say), appended at
    // the end with new stamps; their texts are taken over, not copied, and other is left empty.
    void AppendList(ListModel&& other);
    // Gives back the room kept for more entries: for the end of a batch of appends.
    void ReleaseSpareRoom();

    bool CanUndo() const noexcept { return undo_.kind != UndoKind::None; }
    // Puts back what the last removal, clearing or edit took: each removed entry at the place
    // it had, what is there now filling the rest in its order; an edited entry, found by its
    // stamp wherever it has moved, gets its old text again.
    void Undo();

    // Sorting: the sign of a column (each column's first sort descends), taken for a sort by it
    // and turned for the next; the column sorted last and which way, for the header's triangle.
    int32_t SortSign(int column) const { return signs_.Sign(column); }
    int32_t TakeSortSign(int column);
    int SortedColumn() const noexcept { return sortedColumn_; }
    bool SortedAscending() const noexcept { return sortedAscending_; }
    // The entries put in the order given: order[i] is the index of the entry that goes to
    // place i. Entries past the order's end (appended meanwhile) stay after it, in their order.
    void Reorder(const std::vector<uint32_t>& order);

    // Rises with every change of the entries; ChangesOtherThanAppends only with those that
    // move or take away entries already there.
    uint64_t Changes() const noexcept { return changes_; }
    uint64_t ChangesOtherThanAppends() const noexcept { return reshapes_; }

    // What is known of each entry's file: missing or not, once an answer came.
    std::optional<bool> KnownMissing(size_t index) const noexcept;
    // Whether the entry is drawn as missing: by its answer, kept through ForgetAnswers until the
    // next one comes.
    bool ShownMissing(size_t index) const noexcept {
        return entries_[index].State() & kMissingState;
    }
    // Whether the entry's answers found a folder: one that has gone since stays a folder until an
    // answer finds something else there. False before any answer: the name tells then.
    bool ShownFolder(size_t index) const noexcept { return entries_[index].State() & kFolderState; }
    // True when the entry's file has not been asked about nor answered yet; it is then asked.
    bool StartCheck(size_t index) noexcept;
    // Keeps an answer if the entry at index still has the stamp it was asked with; true when
    // that changed whether it is missing or a folder.
    bool TakeAnswer(size_t index, uint32_t stamp, bool exists, bool folder = false) noexcept;
    // Everything is asked again; what was missing or a folder stays so until its new answer.
    void ForgetAnswers() noexcept;
    // Questions out about entries that have moved would be answered for the wrong place.
    void ForgetQuestions() noexcept;
    // Nothing is known of any file any more.
    void ForgetFileStates() noexcept;

    // Data a part keeps beside the entries, moved with them from now on until it is let go;
    // it is made to fit the list as it is now.
    void KeepBeside(SideData& side);
    void LetGo(SideData& side);

    // The details of each entry's file (size, date), kept only while a column shows them: they
    // move with their entries through every change, and an entry new or brought back by an
    // undo has none until they are read.
    void KeepDetails(bool keep);
    bool DetailsKept() const noexcept { return details_ != nullptr; }
    FileDetails DetailsAt(size_t index) const noexcept {
        return details_ && index < details_->values.size() ? details_->values[index]
                                                           : FileDetails{};
    }
    // True when the entry's details have not been asked for nor read since the last refresh;
    // they are then asked for.
    bool StartDetails(size_t index) noexcept;
    // Keeps details read if the entry at index still has the stamp they were asked with.
    bool TakeDetails(size_t index, uint32_t stamp, const FileDetails& details) noexcept;
    // Everything is read again; the values stay shown until then.
    void ForgetDetails() noexcept;

    // The selection belongs to the entries: it moves with them in a sort and stays through
    // appends, edits and the removal of others. An undone removal selects what it brought back,
    // an undone clearing nothing.
    bool IsSelected(size_t index) const noexcept {
        return entries_[index].State() & kSelectedState;
    }
    void Select(size_t index, bool selected) noexcept { SelectRange(index, index, selected); }
    // The entries first to last, both included (clipped to the list).
    void SelectRange(size_t first, size_t last, bool selected) noexcept;
    void SelectAll(bool selected) noexcept;
    size_t SelectedCount() const noexcept;
    // The selected texts in list order.
    std::vector<std::wstring> SelectedTexts() const;
    // The entries a filter hides. A hidden entry is never selected: hiding it unselects it, and
    // selecting a range passes it over. The mark moves with the entry; an undone removal brings
    // its entries back shown.
    bool IsHidden(size_t index) const noexcept { return entries_[index].State() & kHiddenState; }
    void SetHidden(size_t index, bool hidden) noexcept;
    // The selected entries taken away as one step to undo; returns how many went.
    size_t RemoveSelected() {
        return RemoveWhere([this](size_t i) { return IsSelected(i); });
    }

private:
    using Entry = detail::Entry;
    static constexpr uint8_t kMissingState = 1;
    static constexpr uint8_t kSelectedState = 8;
    static constexpr uint8_t kHiddenState = 16;
    static constexpr uint8_t kFolderState = 32;
    enum class UndoKind { None, Removal, Edit };
    struct UndoStep {
        UndoKind kind = UndoKind::None;
        // Removal: the entries taken, in list order, and where each stood (none when they were
        // the whole list). Edit: the entry as it was, and its stamp after the edit.
        std::vector<Entry> entries;
        std::vector<uint32_t> places;
        uint32_t editedStamp = 0;
    };

    static constexpr uint32_t kNoBlock = UINT32_MAX;
    Entry Store(std::wstring_view text);
    uint32_t NewBlock(uint32_t size);
    void FreeBlock(uint32_t block) noexcept;
    uint32_t NewStamp() noexcept { return ++lastStamp_; }
    // Each block counts the entries (in the list and in the undo step) that use it; a block
    // nothing uses is freed.
    void Use(const Entry& entry) noexcept { ++blockUsers_[entry.block]; }
    void Release(const Entry& entry) noexcept;
    void SetUndo(UndoStep step);
    void Reshaped() noexcept {
        ++changes_;
        ++reshapes_;
    }

    std::vector<Entry> entries_;
    // What lies beside the entries, moved with them by MoveSides and RenewSides.
    std::vector<SideData*> sides_;
    void MoveSides(size_t count, const std::vector<uint32_t>* from) {
        for (SideData* side : sides_)
            side->Moved(count, from);
    }
    void RenewSides(size_t index) {
        for (SideData* side : sides_)
            side->Renewed(index);
    }
    // Beside the entries while details are kept.
    std::unique_ptr<SideColumn<FileDetails>> details_;
    std::vector<detail::Block> blocks_;
    std::vector<uint32_t> blockUsers_;
    std::vector<uint32_t> freeBlocks_;
    uint32_t currentBlock_ = kNoBlock;
    uint32_t currentUsed_ = 0;
    uint32_t lastStamp_ = 0;
    UndoStep undo_;
    SortSigns signs_;
    int sortedColumn_ = -1;
    bool sortedAscending_ = false;
    uint64_t changes_ = 0;
    uint64_t reshapes_ = 0;
};

template <typename Remove> size_t ListModel::RemoveWhere(Remove remove) {
    UndoStep step{UndoKind::Removal, {}, {}, 0};
    std::vector<uint32_t> from; // the entries kept, for what lies beside them
    size_t kept = 0;
    const size_t count = entries_.size();
    for (size_t i = 0; i < count; ++i) {
        if (remove(i)) {
            step.entries.push_back(entries_[i]);
            step.places.push_back(static_cast<uint32_t>(i));
            continue;
        }
        if (!sides_.empty())
            from.push_back(static_cast<uint32_t>(i));
        entries_[kept++] = entries_[i];
    }
    const size_t removed = count - kept;
    if (removed == 0)
        return 0;
    entries_.resize(kept);
    if (!sides_.empty())
        MoveSides(kept, &from);
    // The removed entries now belong to the undo step, which keeps their blocks in use.
    SetUndo(std::move(step));
    ForgetQuestions();
    Reshaped();
    return removed;
}

} // namespace filelist
