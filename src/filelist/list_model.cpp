#include "filelist/list_model.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace filelist {
namespace {

// Characters in a block: large enough that a million paths need a few dozen blocks, small
// enough that the unused end of the last one is little beside them. A little under 2 MB, so that
// with the allocator's own header a block still fits the 2 MB the system hands out rather than
// taking another 64 KB. A longer text gets a block of its own.
constexpr uint32_t kBlockChars = (uint32_t{1} << 20) - 256;

enum FileState : uint8_t { kMissing = 1, kChecked = 2, kAsked = 4, kSelected = 8, kHidden = 16 };
constexpr uint8_t kFolder = 32;
// What is known of the file, apart from whether the user selected the entry.
constexpr uint8_t kFileStates = kMissing | kChecked | kAsked | kFolder;
// What the user made of the entry: kept through whatever is learnt of its file and an edit.
constexpr uint8_t kViewStates = kSelected | kHidden;

// The list grows by an eighth rather than doubling: at a million entries the room kept for
// more is a little over a byte an entry, not up to twelve. It starts large enough for the
// allocator to take its room from the system and give it back when it moves: the small steps
// of a growing vector would stay behind in the heap, megabytes of them.
template <typename T> void MakeRoomForOne(std::vector<T>& v) {
    if (v.size() == v.capacity())
        v.reserve(std::max(v.size() + v.size() / 8, size_t{65536}));
}

// The first order.size() items in that order, the rest (appended since it was made) after them.
template <typename T>
void ReorderBeside(std::vector<T>& items, const std::vector<uint32_t>& order) {
    std::vector<T> sorted;
    sorted.reserve(items.capacity());
    for (uint32_t i : order)
        sorted.push_back(items[i]);
    sorted.insert(sorted.end(), items.begin() + static_cast<std::ptrdiff_t>(order.size()),
                  items.end());
    items = std::move(sorted);
}

} // namespace

std::wstring_view FrozenList::Text(size_t index) const noexcept {
    const detail::Entry& e = entries_[index];
    return {blocks_[e.block].get() + e.offset, e.Length()};
}

bool FrozenList::ShownFolder(size_t i) const noexcept { return entries_[i].State() & kFolder; }

ListTexts FrozenList::Texts() const {
    ListTexts texts;
    CopyTexts(texts);
    return texts;
}

void FrozenList::CopyTexts(ListTexts& texts) const {
    texts.chars.clear();
    texts.ends.clear();
    size_t total = 0;
    for (const detail::Entry& e : entries_)
        total += e.Length();
    texts.chars.reserve(total);
    texts.ends.reserve(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i)
        texts.Append(Text(i));
}

ListModel::ListModel() = default;

std::wstring_view ListModel::Text(size_t index) const noexcept {
    const Entry& e = entries_[index];
    return {blocks_[e.block].get() + e.offset, e.Length()};
}

std::vector<std::wstring> ListModel::Texts() const {
    std::vector<std::wstring> texts;
    texts.reserve(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i)
        texts.emplace_back(Text(i));
    return texts;
}

FrozenList ListModel::Freeze() const {
    FrozenList frozen;
    frozen.entries_ = entries_;
    if (details_)
        frozen.details_ = details_->values;
    frozen.blocks_ = blocks_;
    return frozen;
}

uint32_t ListModel::NewBlock(uint32_t size) {
    uint32_t block;
    if (!freeBlocks_.empty()) {
        block = freeBlocks_.back();
        freeBlocks_.pop_back();
    } else {
        block = static_cast<uint32_t>(blocks_.size());
        blocks_.emplace_back();
        blockUsers_.push_back(0);
    }
    blocks_[block] = detail::Block(new wchar_t[size]);
    return block;
}

ListModel::Entry ListModel::Store(std::wstring_view text) {
    if (text.size() > kLongestText)
        throw std::length_error("a text of over 16 million characters cannot be listed");
    const auto length = static_cast<uint32_t>(text.size());
    Entry entry{};
    if (length >= kBlockChars) {
        entry.block = NewBlock(length); // a block of its own, never filled further
    } else {
        if (currentBlock_ == kNoBlock || length > kBlockChars - currentUsed_) {
            const uint32_t full = currentBlock_;
            currentBlock_ = NewBlock(kBlockChars);
            currentUsed_ = 0;
            if (full != kNoBlock && blockUsers_[full] == 0)
                FreeBlock(full);
        }
        entry.block = currentBlock_;
        entry.offset = currentUsed_;
        currentUsed_ += length;
    }
    entry.lengthAndState = length;
    std::copy_n(text.data(), length, blocks_[entry.block].get() + entry.offset);
    return entry;
}

void ListModel::FreeBlock(uint32_t block) noexcept {
    blocks_[block].reset();
    freeBlocks_.push_back(block);
}

void ListModel::Release(const Entry& entry) noexcept {
    if (--blockUsers_[entry.block] > 0)
        return;
    // The block being filled stays: the next text goes there.
    if (entry.block != currentBlock_)
        FreeBlock(entry.block);
}

void ListModel::SetUndo(UndoStep step) {
    for (const Entry& e : undo_.entries)
        Release(e);
    undo_ = std::move(step);
}

void ListModel::Append(std::wstring_view text) {
    MakeRoomForOne(entries_);
    Entry entry = Store(text);
    entry.stamp = NewStamp();
    Use(entry);
    entries_.push_back(entry);
    MoveSides(entries_.size(), nullptr);
    ++changes_;
}

void ListModel::AppendList(ListModel&& other) {
    const auto base = static_cast<uint32_t>(blocks_.size());
    const size_t count = other.entries_.size();
    for (size_t b = 0; b < other.blocks_.size(); ++b) {
        blocks_.push_back(std::move(other.blocks_[b]));
        blockUsers_.push_back(other.blockUsers_[b]);
        if (!blocks_.back())
            freeBlocks_.push_back(base + static_cast<uint32_t>(b));
    }
    for (Entry& entry : other.entries_) {
        entry.block += base;
        entry.stamp = NewStamp();
        entry.SetState(0);
    }
    if (entries_.empty())
        entries_ = std::move(other.entries_); // the common case: taken over, not copied
    else
        entries_.insert(entries_.end(), other.entries_.begin(), other.entries_.end());
    changes_ += count;
    MoveSides(entries_.size(), nullptr);
    other = ListModel();
}

void ListModel::ReleaseSpareRoom() {
    // Worth a copy only when the room is more than a little.
    if (entries_.capacity() - entries_.size() > entries_.size() / 64 + 1024)
        entries_.shrink_to_fit();
    for (SideData* side : sides_)
        side->ReleaseSpareRoom();
}

void ListModel::RemoveAt(size_t index) {
    if (index < entries_.size())
        RemoveWhere([index](size_t i) { return i == index; });
}

void ListModel::Replace(size_t index, std::wstring_view text) {
    if (index >= entries_.size())
        return;
    Entry replaced = Store(text);
    replaced.stamp = NewStamp();
    replaced.SetState(entries_[index].State() & kViewStates);
    Use(replaced);
    const Entry old = std::exchange(entries_[index], replaced);
    RenewSides(index);
    if (Text(index) != std::wstring_view(blocks_[old.block].get() + old.offset, old.Length())) {
        // The old text now belongs to the undo step.
        SetUndo({UndoKind::Edit, {old}, {static_cast<uint32_t>(index)}, replaced.stamp});
    } else {
        Release(old);
    }
    ++changes_;
}

void ListModel::Clear() {
    // Clearing an empty list takes nothing, so it keeps what can be undone.
    if (entries_.empty())
        return;
    UndoStep step{UndoKind::Removal, std::move(entries_), {}, 0};
    entries_ = {};
    MoveSides(0, nullptr);
    SetUndo(std::move(step));
    Reshaped();
}

void ListModel::Undo() {
    UndoStep step = std::exchange(undo_, {});
    if (step.kind == UndoKind::Edit) {
        // The edited entry may have moved since (a sort); it is known by its stamp.
        const uint32_t at = step.places[0];
        size_t index = at < entries_.size() && entries_[at].stamp == step.editedStamp
                           ? at
                           : std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
                                 return e.stamp == step.editedStamp;
                             }) - entries_.begin();
        if (index < entries_.size()) {
            const uint8_t kept = entries_[index].State() & kViewStates;
            Release(entries_[index]);
            entries_[index] = step.entries[0];
            entries_[index].SetState(kept);
            entries_[index].stamp = NewStamp();
            RenewSides(index);
        } else {
            Release(step.entries[0]);
        }
        ++changes_;
        return;
    }
    if (step.kind != UndoKind::Removal)
        return;
    // What a removal gives back is what the user sees selected, as after an undo in the shell;
    // a clearing gives back the whole list, and nothing of it is singled out.
    for (Entry& e : entries_)
        e.SetState(e.State() & ~kSelected);
    const uint8_t restored = step.places.empty() ? 0 : kSelected;
    for (Entry& e : step.entries) {
        e.stamp = NewStamp();
        e.SetState(restored);
    }
    if (step.places.empty() && entries_.empty()) {
        entries_ = std::move(step.entries); // a clearing undone at once: nothing to merge
        MoveSides(entries_.size(), nullptr);
    } else {
        // Each entry taken goes back to the place it had; what is there now fills the rest in
        // its order, and what no longer reaches a place goes at the end.
        std::vector<Entry> merged;
        merged.reserve(entries_.size() + step.entries.size());
        std::vector<uint32_t> from; // for what lies beside the entries
        if (!sides_.empty())
            from.reserve(merged.capacity());
        size_t taken = 0, kept = 0;
        while (taken < step.entries.size() || kept < entries_.size()) {
            const bool more = taken < step.entries.size();
            const size_t place = !more ? 0 : step.places.empty() ? taken : step.places[taken];
            const bool restore = more && (place <= merged.size() || kept == entries_.size());
            if (!sides_.empty())
                from.push_back(restore ? SideData::kNew : static_cast<uint32_t>(kept));
            merged.push_back(restore ? step.entries[taken++] : entries_[kept++]);
        }
        entries_ = std::move(merged);
        if (!sides_.empty())
            MoveSides(entries_.size(), &from);
    }
    ForgetQuestions();
    Reshaped();
}

int32_t ListModel::TakeSortSign(int column) {
    const int32_t sign = signs_.Take(column);
    sortedColumn_ = column;
    sortedAscending_ = sign > 0;
    return sign;
}

void ListModel::Reorder(const std::vector<uint32_t>& order) {
    if (!sides_.empty()) {
        std::vector<uint32_t> from(order);
        for (size_t i = order.size(); i < entries_.size(); ++i)
            from.push_back(static_cast<uint32_t>(i));
        MoveSides(entries_.size(), &from);
    }
    ReorderBeside(entries_, order);
    ForgetQuestions();
    Reshaped();
}

std::optional<bool> ListModel::KnownMissing(size_t index) const noexcept {
    if (index >= entries_.size() || !(entries_[index].State() & kChecked))
        return std::nullopt;
    return (entries_[index].State() & kMissing) != 0;
}

bool ListModel::StartCheck(size_t index) noexcept {
    Entry& e = entries_[index];
    if (e.State() & (kChecked | kAsked))
        return false;
    e.SetState(e.State() | kAsked);
    return true;
}

bool ListModel::TakeAnswer(size_t index, uint32_t stamp, bool exists, bool folder) noexcept {
    // An answer about an entry that has since gone, changed or moved is no answer.
    if (index >= entries_.size() || entries_[index].stamp != stamp)
        return false;
    Entry& e = entries_[index];
    const uint8_t was = e.State();
    // Nothing there says nothing of what was: a folder gone is drawn as a folder still.
    const uint8_t found = exists ? (folder ? kFolder : 0) : kMissing | (was & kFolder);
    e.SetState((was & kViewStates) | kChecked | found);
    return (was & (kMissing | kFolder)) != found;
}

void ListModel::ForgetAnswers() noexcept {
    for (Entry& e : entries_)
        e.SetState(e.State() & (kMissing | kFolder | kViewStates));
}

void ListModel::ForgetQuestions() noexcept {
    for (Entry& e : entries_)
        e.SetState(e.State() & ~kAsked);
    if (details_)
        for (FileDetails& d : details_->values)
            d.ForgetQuestion();
}

void ListModel::ForgetFileStates() noexcept {
    for (Entry& e : entries_)
        e.SetState(e.State() & ~kFileStates);
}

void ListModel::SelectRange(size_t first, size_t last, bool selected) noexcept {
    last = std::min(last, entries_.size() - 1);
    for (size_t i = first; i <= last && i < entries_.size(); ++i) {
        Entry& e = entries_[i];
        if (!(e.State() & kHidden))
            e.SetState(selected ? e.State() | kSelected : e.State() & ~kSelected);
    }
}

void ListModel::SetHidden(size_t index, bool hidden) noexcept {
    Entry& e = entries_[index];
    e.SetState(hidden ? (e.State() | kHidden) & ~kSelected : e.State() & ~kHidden);
}

void ListModel::SelectAll(bool selected) noexcept {
    if (!entries_.empty())
        SelectRange(0, entries_.size() - 1, selected);
}

size_t ListModel::SelectedCount() const noexcept {
    return static_cast<size_t>(std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) {
        return (e.State() & kSelected) != 0;
    }));
}

std::vector<std::wstring> ListModel::SelectedTexts() const {
    std::vector<std::wstring> texts;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (IsSelected(i))
            texts.emplace_back(Text(i));
    }
    return texts;
}

} // namespace filelist
