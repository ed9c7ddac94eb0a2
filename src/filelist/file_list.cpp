#include "filelist/file_list.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "win/controls.h"

namespace filelist {
namespace {

constexpr UINT kSyncMessage = WM_APP + 0x10;
constexpr UINT kAnswersMessage = WM_APP + 0x11;
constexpr UINT_PTR kSubclassId = 0x46494c45; // "FILE"
// The longest path the system accepts, in characters.
constexpr WPARAM kLongestPath = 32767;

// lstrcmp's order: the user's locale, case-sensitive, word sort.
int CompareTexts(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringW(LOCALE_USER_DEFAULT, 0, a.c_str(), static_cast<int>(a.size()),
                            b.c_str(), static_cast<int>(b.size())) -
           CSTR_EQUAL;
}

// The same order through sort keys: one key per text instead of a locale comparison per
// pair makes a sort of a hundred thousand paths take a moment rather than many seconds.
// Empty when some text has no key, so the caller can fall back to comparing texts.
std::vector<std::string> SortKeys(const std::vector<std::wstring>& texts) {
    std::vector<std::string> keys;
    keys.reserve(texts.size());
    for (const std::wstring& text : texts) {
        int length = static_cast<int>(text.size());
        int size =
            ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text.c_str(), length, nullptr, 0);
        if (size <= 0 && length > 0)
            return {};
        std::string key(static_cast<size_t>(std::max(size, 0)), '\0');
        if (size > 0) {
            ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text.c_str(), length,
                           reinterpret_cast<wchar_t*>(key.data()), size);
            key.resize(std::strlen(key.c_str())); // the key ends at its first zero byte
        }
        keys.push_back(std::move(key));
    }
    return keys;
}

} // namespace

FileList::FileList(HWND listView, HWND statusBar)
    : listView_(listView), statusBar_(statusBar),
      checker_(std::make_unique<PathChecker>(listView, kAnswersMessage, exists_)) {
    ::SetWindowSubclass(listView_, &SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

FileList::~FileList() {
    if (::IsWindow(listView_))
        ::RemoveWindowSubclass(listView_, &SubclassProc, kSubclassId);
}

LRESULT CALLBACK FileList::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
    if (msg == kSyncMessage) {
        reinterpret_cast<FileList*>(self)->SyncView();
        return 0;
    }
    if (msg == kAnswersMessage) {
        reinterpret_cast<FileList*>(self)->TakeAnswers();
        return 0;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

void FileList::AppendPath(std::wstring path) {
    paths_.push_back(std::move(path));
    marks_.push_back(NewMark());
    // One view update per batch of appends, however it ends.
    if (!syncPosted_)
        syncPosted_ = ::PostMessageW(listView_, kSyncMessage, 0, 0) != FALSE;
}

void FileList::SyncView() {
    syncPosted_ = false;
    auto count = static_cast<WPARAM>(paths_.size());
    if (static_cast<size_t>(::SendMessageW(listView_, LVM_GETITEMCOUNT, 0, 0)) != paths_.size()) {
        ::SendMessageW(listView_, LVM_SETITEMCOUNT, count,
                       LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    }
}

void FileList::UpdateCountDisplay() {
    SyncView();
    std::wstring text = std::to_wstring(paths_.size());
    ::SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::optional<size_t> FileList::FocusedIndex() const {
    auto index = static_cast<int>(
        ::SendMessageW(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (index < 0 || static_cast<size_t>(index) >= paths_.size())
        return std::nullopt;
    return static_cast<size_t>(index);
}

std::optional<std::wstring> FileList::FocusedText() const {
    auto index = FocusedIndex();
    if (!index)
        return std::nullopt;
    return paths_[*index];
}

size_t FileList::SelectedCount() const {
    return static_cast<size_t>(::SendMessageW(listView_, LVM_GETSELECTEDCOUNT, 0, 0));
}

void FileList::RemoveAt(size_t index) {
    if (index >= paths_.size())
        return;
    SyncView();
    RememberRemoval({std::move(paths_[index])}, {index});
    paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(index));
    marks_.erase(marks_.begin() + static_cast<std::ptrdiff_t>(index));
    ForgetQuestions();
    // The view moves the focus and selection of the items after it up by one.
    ::SendMessageW(listView_, LVM_DELETEITEM, index, 0);
    SyncView();
}

size_t FileList::RemoveStamped(const std::unordered_set<uint64_t>& stamps) {
    SyncView();
    std::optional<uint64_t> focused;
    if (auto index = FocusedIndex())
        focused = marks_[*index].stamp;
    size_t kept = 0;
    std::vector<std::wstring> taken;
    std::vector<size_t> places;
    for (size_t i = 0; i < paths_.size(); ++i) {
        if (stamps.count(marks_[i].stamp)) {
            taken.push_back(std::move(paths_[i]));
            places.push_back(i);
            continue;
        }
        if (kept != i) {
            paths_[kept] = std::move(paths_[i]);
            marks_[kept] = marks_[i];
        }
        ++kept;
    }
    const size_t removed = paths_.size() - kept;
    if (removed > 0)
        RememberRemoval(std::move(taken), std::move(places));
    paths_.resize(kept);
    marks_.resize(kept);
    ForgetQuestions();
    // The view's focus and selection are by position; they follow the focused entry if it stays.
    // (Not LVM_DELETEALLITEMS: some views notify each item's deletion, a long wait for a long
    // list.)
    LVITEMW none{};
    none.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    ::SendMessageW(listView_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&none));
    SyncView();
    ::InvalidateRect(listView_, nullptr, TRUE);
    for (size_t i = 0; focused && i < marks_.size(); ++i) {
        if (marks_[i].stamp == *focused) {
            LVITEMW item{};
            item.stateMask = item.state = LVIS_FOCUSED | LVIS_SELECTED;
            ::SendMessageW(listView_, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
            ::SendMessageW(listView_, LVM_ENSUREVISIBLE, i, FALSE);
            break;
        }
    }
    return removed;
}

void FileList::ReplaceAt(size_t index, std::wstring path) {
    if (index >= paths_.size())
        return;
    if (path != paths_[index])
        undo_ = {UndoKind::Edit, {std::exchange(paths_[index], path), std::move(path)}, {index}};
    marks_[index] = NewMark();
    ::SendMessageW(listView_, LVM_REDRAWITEMS, index, index);
}

void FileList::Clear() {
    // Clearing an empty list takes nothing, so it keeps what can be undone.
    if (!paths_.empty())
        RememberRemoval(std::exchange(paths_, {}), {});
    marks_.clear();
    checker_->Forget();
    ::SendMessageW(listView_, LVM_DELETEALLITEMS, 0, 0);
    SyncView();
}

void FileList::RememberRemoval(std::vector<std::wstring> texts, std::vector<size_t> positions) {
    undo_ = {UndoKind::Removal, std::move(texts), std::move(positions)};
}

void FileList::Undo() {
    UndoStep step = std::exchange(undo_, {});
    if (step.kind == UndoKind::Edit) {
        // The edited entry may have moved since (a sort); it is found by its new text.
        const std::wstring& edited = step.texts[1];
        size_t at = step.positions[0];
        if (at >= paths_.size() || paths_[at] != edited)
            at = static_cast<size_t>(std::find(paths_.begin(), paths_.end(), edited) -
                                     paths_.begin());
        if (at < paths_.size()) {
            paths_[at] = std::move(step.texts[0]);
            marks_[at] = NewMark();
            ::SendMessageW(listView_, LVM_REDRAWITEMS, at, at);
        }
    } else if (step.kind == UndoKind::Removal) {
        if (step.positions.empty() && paths_.empty()) {
            paths_ = std::move(step.texts); // a clear undone at once: nothing to merge
            marks_.resize(paths_.size());
            for (Mark& mark : marks_)
                mark = NewMark();
        } else {
            // Each entry taken goes back to the place it had; what is there now fills the rest
            // in its order, and what no longer reaches a place goes at the end.
            std::vector<std::wstring> merged;
            std::vector<Mark> mergedMarks;
            merged.reserve(paths_.size() + step.texts.size());
            mergedMarks.reserve(merged.capacity());
            size_t taken = 0, kept = 0;
            while (taken < step.texts.size() || kept < paths_.size()) {
                const bool more = taken < step.texts.size();
                const size_t place = !more                    ? 0
                                     : step.positions.empty() ? taken
                                                              : step.positions[taken];
                if (more && (place <= merged.size() || kept == paths_.size())) {
                    merged.push_back(std::move(step.texts[taken++]));
                    mergedMarks.push_back(NewMark());
                } else {
                    merged.push_back(std::move(paths_[kept]));
                    mergedMarks.push_back(marks_[kept++]);
                }
            }
            paths_ = std::move(merged);
            marks_ = std::move(mergedMarks);
        }
        ForgetQuestions();
        SyncView();
        ::InvalidateRect(listView_, nullptr, TRUE);
    }
    UpdateCountDisplay();
}

void FileList::SortByColumn(int column) {
    int32_t sign = signs_.Take(column);
    // The list has one column; texts of further columns would be sub-items, which it has none of.
    if (column == 0) {
        std::vector<size_t> order(paths_.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::vector<std::string> keys = SortKeys(paths_);
        if (keys.size() == paths_.size()) {
            std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
                int c = keys[a].compare(keys[b]);
                return SortsBefore(c < 0 ? -1 : (c > 0 ? 1 : 0), sign);
            });
        } else {
            std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
                return SortsBefore(CompareTexts(paths_[a], paths_[b]), sign);
            });
        }
        std::vector<std::wstring> sorted;
        std::vector<Mark> sortedMarks;
        sorted.reserve(paths_.size());
        sortedMarks.reserve(paths_.size());
        for (size_t i : order) {
            sorted.push_back(std::move(paths_[i]));
            sortedMarks.push_back(marks_[i]);
        }
        paths_ = std::move(sorted);
        marks_ = std::move(sortedMarks);
        ForgetQuestions();
    }
    SyncView();
    ::InvalidateRect(listView_, nullptr, TRUE);
}

void FileList::ForgetQuestions() {
    // Answers come back by position; asked again when the rows are next drawn.
    checker_->Forget();
    for (Mark& mark : marks_)
        mark.state &= ~kAsked;
}

std::optional<bool> FileList::KnownMissing(size_t index) const noexcept {
    if (index >= marks_.size() || !(marks_[index].state & kChecked))
        return std::nullopt;
    return (marks_[index].state & kMissing) != 0;
}

void FileList::Recheck() {
    checker_->Forget();
    for (Mark& mark : marks_)
        mark.state &= kMissing;
    ::InvalidateRect(listView_, nullptr, FALSE);
}

void FileList::SetExistsFunction(ExistsFunction exists) {
    exists_ = std::move(exists);
    checker_.reset();
    checker_ = std::make_unique<PathChecker>(listView_, kAnswersMessage, exists_);
    for (Mark& mark : marks_)
        mark.state = 0;
    ::InvalidateRect(listView_, nullptr, FALSE);
}

LRESULT FileList::CustomDraw(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return CDRF_DODEFAULT;
    const size_t index = draw.nmcd.dwItemSpec;
    if (index >= paths_.size())
        return CDRF_DODEFAULT;
    Mark& mark = marks_[index];
    if (!(mark.state & (kChecked | kAsked))) {
        mark.state |= kAsked;
        checker_->Ask({{mark.stamp, index, paths_[index]}});
    }
    if (!(mark.state & kMissing))
        return CDRF_DODEFAULT;
    draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
    return CDRF_NEWFONT;
}

void FileList::TakeAnswers() {
    for (const PathCheck& answer : checker_->TakeAnswers()) {
        // An answer about an entry that has since gone, changed or moved is no answer.
        if (answer.index >= marks_.size() || marks_[answer.index].stamp != answer.stamp)
            continue;
        Mark& mark = marks_[answer.index];
        const bool wasMissing = mark.state & kMissing;
        mark.state = kChecked | (answer.exists ? 0 : kMissing);
        if (wasMissing != !answer.exists)
            ::SendMessageW(listView_, LVM_REDRAWITEMS, answer.index, answer.index);
    }
}

bool FileList::HandleNotify(const NMHDR& header, LRESULT* result) {
    if (header.hwndFrom != listView_)
        return false;
    switch (header.code) {
    case NM_CUSTOMDRAW:
        *result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(const_cast<NMHDR&>(header)));
        return true;
    case LVN_GETDISPINFOW: {
        auto& info = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header));
        LVITEMW& item = info.item;
        if ((item.mask & LVIF_TEXT) && item.pszText != nullptr && item.cchTextMax > 0) {
            size_t index = static_cast<size_t>(item.iItem);
            if (item.iItem >= 0 && index < paths_.size() && item.iSubItem == 0) {
                const std::wstring& path = paths_[index];
                size_t n = std::min(path.size(), static_cast<size_t>(item.cchTextMax - 1));
                std::copy_n(path.data(), n, item.pszText);
                item.pszText[n] = L'\0';
            } else {
                item.pszText[0] = L'\0';
            }
        }
        *result = 0;
        return true;
    }
    case LVN_BEGINLABELEDITW: {
        auto& info = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header));
        size_t index = static_cast<size_t>(info.item.iItem);
        // The view hands the editor a display-sized copy; give it the whole path so that
        // accepting an edit never cuts a long one.
        HWND edit = reinterpret_cast<HWND>(::SendMessageW(listView_, LVM_GETEDITCONTROL, 0, 0));
        if (edit != nullptr && info.item.iItem >= 0 && index < paths_.size()) {
            // The view limits its editor to a display-sized text; a path may be as long as
            // the system allows, and the user must be able to lengthen it.
            ::SendMessageW(edit, EM_SETLIMITTEXT, kLongestPath, 0);
            ::SetWindowTextW(edit, paths_[index].c_str());
            ::SendMessageW(edit, EM_SETSEL, 0, -1);
        }
        *result = FALSE;
        return true;
    }
    case LVN_ENDLABELEDITW: {
        auto& info = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header));
        size_t index = static_cast<size_t>(info.item.iItem);
        if (info.item.pszText != nullptr && info.item.iItem >= 0 && index < paths_.size()) {
            // Read the editor itself: the notification's copy may be cut to a display buffer.
            HWND edit = reinterpret_cast<HWND>(::SendMessageW(listView_, LVM_GETEDITCONTROL, 0, 0));
            ReplaceAt(index, edit != nullptr ? win::WindowText(edit) : info.item.pszText);
        }
        *result = FALSE; // the view keeps no text of its own
        return true;
    }
    }
    return false;
}

} // namespace filelist
