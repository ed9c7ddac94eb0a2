// The filter on screen: ListFilter matches on a worker; the shown rows it gives are the view's
// (see FileList).
#include "filelist/file_list.h"

#include <utility>

namespace filelist {

void FileList::SetFilter(std::wstring_view text) {
    const std::optional<uint32_t> focused = FocusedStamp();
    if (!filter_.SetText(text))
        return;
    // Everything shown again at once.
    ShowModelSelection(focused);
    Redraw();
    UpdateCountDisplay();
}

void FileList::FilterMatched(std::vector<uint32_t> shown) {
    const std::optional<uint32_t> focused = FocusedStamp();
    rows_.ShowOnly(model_, std::move(shown));
    ShowModelSelection(focused);
    Redraw();
    UpdateCountDisplay();
}

void FileList::Reshaped(bool matchAgain) { filter_.Reshaped(matchAgain); }

} // namespace filelist
