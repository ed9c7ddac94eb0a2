// The list's entries changed (appends, removals, edits, clearing, undo): the model first, then
// the view brought up to date with it (see FileList).
#include "filelist/file_list.h"

#include <utility>

namespace filelist {

void FileList::AppendPath(std::wstring_view path) {
    model_.Append(path);
    filter_.Appended();
    // One view update per batch of appends, however it ends.
    if (!syncPosted_) {
        syncPosted_ = returns_.Post([self = std::weak_ptr<FileList*>(self_)] {
            if (const auto list = self.lock())
                (*list)->SyncView();
        });
    }
}

void FileList::AppendList(ListModel&& list) {
    const size_t first = model_.Count();
    model_.AppendList(std::move(list));
    filter_.AppendedFrom(first);
}

std::vector<std::wstring> FileList::AllPaths() const {
    if (!rows_.On())
        return model_.Texts();
    std::vector<std::wstring> paths;
    paths.reserve(Count());
    for (size_t row = 0; row < Count(); ++row)
        paths.push_back(PathAt(row));
    return paths;
}

void FileList::RemoveAt(size_t index) {
    if (index >= Count())
        return;
    SyncView();
    model_.RemoveAt(rows_.Entry(index));
    rows_.Rebuild(model_);
    ForgetQuestions();
    // The view moves the focus and selection of the items after it up by one, as the model did;
    // what it says of the row it takes away is no news.
    MirrorSelection([&] { view_.DeleteItem(index); });
    SyncView();
}

size_t FileList::RemoveStamped(const std::unordered_set<uint32_t>& stamps) {
    SyncView();
    const std::optional<uint32_t> focused = FocusedStamp();
    // An entry the filter has hidden since it was found stays: what is not seen is not touched.
    const size_t removed = model_.RemoveWhere(
        [&](size_t i) { return !model_.IsHidden(i) && stamps.count(model_.Stamp(i)) != 0; });
    rows_.Rebuild(model_);
    ForgetQuestions();
    ShowModelSelection(focused);
    Redraw();
    return removed;
}

void FileList::ReplaceAt(size_t index, std::wstring_view path) {
    if (index >= Count())
        return;
    model_.Replace(rows_.Entry(index), path);
    view_.RedrawItems(index, index);
    SyncView();
}

void FileList::Clear() {
    if (rows_.On()) {
        // Only what the user sees goes; the hidden entries stay where they are.
        model_.RemoveWhere([this](size_t i) { return !model_.IsHidden(i); });
        rows_.Rebuild(model_);
        ForgetQuestions();
        ShowModelSelection(std::nullopt);
        Redraw();
        return;
    }
    model_.Clear();
    facts_.ForgetQuestions();
    MirrorSelection([&] { view_.DeleteAllItems(); });
    SyncView();
}

void FileList::Undo() {
    if (!model_.CanUndo())
        return;
    const std::optional<size_t> focused = FocusedIndex();
    const std::optional<uint32_t> focusedStamp = FocusedStamp();
    model_.Undo();
    // What came back is shown until the filter has looked at it.
    Reshaped(true);
    ForgetQuestions();
    // An undone edit gives the entry a new stamp; it stays where it was.
    ShowModelSelection(focusedStamp, focused);
    Redraw();
    UpdateCountDisplay();
}

void FileList::ForgetQuestions() { facts_.ForgetQuestions(); }

void FileList::Recheck() {
    facts_.Recheck();
    ::InvalidateRect(listView_, nullptr, FALSE);
}

void FileList::SetExistsFunction(ExistsFunction exists) {
    facts_.SetExists(std::move(exists));
    ::InvalidateRect(listView_, nullptr, FALSE);
}

} // namespace filelist
