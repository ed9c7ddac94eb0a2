#include "filelist/file_list.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <utility>

#include "filelist/list_sorter.h"
#include "filelist/name_matcher.h"
#include "win/controls.h"
#include "win/thread_returns.h"
#include "win/window.h"

namespace filelist {
namespace {

// The longest path the system accepts, in characters.
constexpr WPARAM kLongestPath = 32767;

} // namespace

FileList::FileList(HWND listView, win::StatusBar& statusBar)
    : listView_(listView), statusBar_(statusBar), returns_(win::ThreadReturns()),
      self_(std::make_shared<FileList*>(this)),
      filter_(
          model_, rows_, [] { return std::make_unique<SystemNameMatcher>(); }, returns_),
      sort_(model_, SortFrozenList, returns_), checker_(MakeChecker()), columns_(listView),
      accessibility_(std::make_shared<ListAccessibility>(
          listView, ListAccessibility::Rows{
                        [this] { return Count(); }, [this](size_t row) { return PathAt(row); },
                        [this](size_t row) { return KnownMissing(row).value_or(false); },
                        [this] { return FocusedIndex(); },
                        [this]() -> std::optional<size_t> {
                            const auto row = ::SendMessageW(listView_, LVM_GETNEXTITEM,
                                                            static_cast<WPARAM>(-1), LVNI_SELECTED);
                            return row >= 0 ? std::optional<size_t>(static_cast<size_t>(row))
                                            : std::nullopt;
                        }})),
      subclass_(listView, [this](UINT msg, WPARAM wParam, LPARAM lParam) {
          return ListMessage(msg, wParam, lParam);
      }) {
    // The icons' image list is this object's, made again at each DPI.
    ::SetWindowLongPtrW(listView_, GWL_STYLE,
                        ::GetWindowLongPtrW(listView_, GWL_STYLE) | LVS_SHAREIMAGELISTS);
    SetIconDpi(win::Window::WindowDpi(listView_));
    filter_.onMatched = [this](std::vector<uint32_t> shown) { FilterMatched(std::move(shown)); };
    sort_.onSorted = [this](SortedList& sorted) { Sorted(sorted); };
    sort_.onCancelled = [this] { statusBar_.EndProgress(L"並べ替えを取り消しました"); };
}

FileList::~FileList() = default;

std::unique_ptr<PathChecker> FileList::MakeChecker() {
    return std::make_unique<PathChecker>(returns_, exists_, [this](std::vector<PathCheck> answers) {
        TakeAnswers(std::move(answers));
    });
}

std::optional<LRESULT> FileList::ListMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETOBJECT:
        return win::AnswerGetObject(listView_, wParam, lParam, accessibility_);
    case WM_CONTEXTMENU:
        // The header hands a right click on it up to the list.
        if (reinterpret_cast<HWND>(wParam) != ListView_GetHeader(listView_))
            break;
        if (columns_.ChooseFromMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
            ColumnsChanged();
        return 0;
    }
    return std::nullopt;
}

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

void FileList::AppendPaths(const ListTexts& texts, size_t first, size_t last) {
    for (size_t i = first; i < last; ++i) {
        model_.Append(texts[i]);
        filter_.Appended();
    }
}

void FileList::DropLast(size_t count) {
    model_.DropLast(count);
    Reshaped();
    SyncView();
}

void FileList::SyncView() {
    syncPosted_ = false;
    if (model_.Changes() != changesSeen_) {
        changesSeen_ = model_.Changes();
        if (onChanged)
            onChanged();
    }
    if (static_cast<size_t>(::SendMessageW(listView_, LVM_GETITEMCOUNT, 0, 0)) != Count()) {
        ::SendMessageW(listView_, LVM_SETITEMCOUNT, static_cast<WPARAM>(Count()),
                       LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    }
}

void FileList::Redraw() {
    SyncView();
    ::InvalidateRect(listView_, nullptr, TRUE);
}

void FileList::UpdateCountDisplay() {
    // A batch of appends ends here.
    model_.ReleaseSpareRoom();
    SyncView();
    statusBar_.SetText(win::StatusBar::kCountPart, std::to_wstring(Count()));
    if (onShownChanged)
        onShownChanged();
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

std::optional<size_t> FileList::FocusedIndex() const {
    auto index = static_cast<int>(
        ::SendMessageW(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (index < 0 || static_cast<size_t>(index) >= Count())
        return std::nullopt;
    return static_cast<size_t>(index);
}

std::optional<uint32_t> FileList::FocusedStamp() const {
    const std::optional<size_t> focused = FocusedIndex();
    return focused ? std::optional<uint32_t>(model_.Stamp(rows_.Entry(*focused))) : std::nullopt;
}

std::optional<std::wstring> FileList::FocusedText() const {
    auto index = FocusedIndex();
    if (!index)
        return std::nullopt;
    return PathAt(*index);
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
    showingSelection_ = true;
    ::SendMessageW(listView_, LVM_DELETEITEM, index, 0);
    showingSelection_ = false;
    SyncView();
}

size_t FileList::RemoveStamped(const std::unordered_set<uint64_t>& stamps) {
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
    ::SendMessageW(listView_, LVM_REDRAWITEMS, index, index);
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
    checker_->Forget();
    if (detailReader_)
        detailReader_->Forget();
    showingSelection_ = true;
    ::SendMessageW(listView_, LVM_DELETEALLITEMS, 0, 0);
    showingSelection_ = false;
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

void FileList::ForgetQuestions() {
    // Answers come back by position; asked again when the rows are next drawn.
    checker_->Forget();
    if (detailReader_)
        detailReader_->Forget();
    model_.ForgetQuestions();
}

void FileList::Recheck() {
    checker_->Forget();
    model_.ForgetAnswers();
    if (detailReader_) {
        detailReader_->Forget();
        model_.ForgetDetails();
    }
    ::InvalidateRect(listView_, nullptr, FALSE);
}

void FileList::SetExistsFunction(ExistsFunction exists) {
    exists_ = std::move(exists);
    checker_.reset();
    checker_ = MakeChecker();
    model_.ForgetFileStates();
    ::InvalidateRect(listView_, nullptr, FALSE);
}

void FileList::SetIconDpi(int dpi) {
    COLORREF background = static_cast<COLORREF>(::SendMessageW(listView_, LVM_GETBKCOLOR, 0, 0));
    if (background == CLR_NONE)
        background = ::GetSysColor(COLOR_WINDOW);
    ImageListHandle replaced = icons_.SetDpi(dpi, background);
    columns_.SetDpi(dpi);
    ::SendMessageW(listView_, LVM_SETIMAGELIST, LVSIL_SMALL,
                   reinterpret_cast<LPARAM>(icons_.ImageList()));
    ::InvalidateRect(listView_, nullptr, TRUE);
}

void FileList::SetIconLookup(IconLookup lookup) {
    icons_.SetLookup(std::move(lookup));
    SetIconDpi(win::Window::WindowDpi(listView_));
}

LRESULT FileList::CustomDraw(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return CDRF_DODEFAULT;
    if (draw.nmcd.dwItemSpec >= Count())
        return CDRF_DODEFAULT;
    const size_t index = rows_.Entry(draw.nmcd.dwItemSpec);
    if (model_.StartCheck(index))
        checker_->Ask({{model_.Stamp(index), index, std::wstring(model_.Text(index))}});
    // The rows in view are the ones drawn, so theirs are the details read first.
    if (detailReader_ && model_.StartDetails(index))
        detailReader_->Ask({{model_.Stamp(index), index, std::wstring(model_.Text(index)), {}}});
    if (!model_.ShownMissing(index))
        return CDRF_DODEFAULT;
    draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
    return CDRF_NEWFONT;
}

void FileList::TakeAnswers(std::vector<PathCheck> answers) {
    for (const PathCheck& answer : answers) {
        const bool wasMissing = answer.index < model_.Count() && model_.ShownMissing(answer.index);
        // Only a row drawn otherwise now, grey or as a folder, is drawn again.
        if (!model_.TakeAnswer(answer.index, static_cast<uint32_t>(answer.stamp), answer.exists,
                               answer.folder))
            continue;
        // Asked by entry; a hidden entry has no row to redraw.
        if (const std::optional<size_t> row = rows_.RowOf(answer.index)) {
            ::SendMessageW(listView_, LVM_REDRAWITEMS, *row, *row);
            // A screen reader hears that the row's file has gone, or come back.
            if (model_.ShownMissing(answer.index) != wasMissing)
                ::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, listView_, OBJID_CLIENT,
                                 static_cast<LONG>(*row) + 1);
        }
    }
}

bool FileList::HandleNotify(const NMHDR& header, LRESULT* result) {
    if (header.hwndFrom != listView_)
        return false;
    switch (header.code) {
    case LVN_DELETEALLITEMS:
        // No notice for each row: the list's entries are the model's, not the view's.
        *result = TRUE;
        return true;
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        SelectionChanged(header);
        return false;
    case NM_CUSTOMDRAW:
        *result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(const_cast<NMHDR&>(header)));
        return true;
    case LVN_GETDISPINFOW: {
        auto& info = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header));
        LVITEMW& item = info.item;
        if ((item.mask & LVIF_TEXT) && item.pszText != nullptr && item.cchTextMax > 0) {
            const size_t row = static_cast<size_t>(item.iItem);
            if (item.iItem >= 0 && row < Count()) {
                const size_t index = rows_.Entry(row);
                std::wstring detail;
                if (item.iSubItem > 0)
                    detail = columns_.Text(item.iSubItem, model_.Text(index),
                                           model_.DetailsAt(index), model_.ShownFolder(index));
                const std::wstring_view text =
                    item.iSubItem > 0 ? std::wstring_view(detail) : model_.Text(index);
                size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
                std::copy_n(text.data(), n, item.pszText);
                item.pszText[n] = L'\0';
            } else {
                item.pszText[0] = L'\0';
            }
        }
        if (item.mask & LVIF_IMAGE) {
            const size_t row = static_cast<size_t>(item.iItem);
            const size_t index = row < Count() ? rows_.Entry(row) : 0;
            item.iImage = item.iItem >= 0 && row < Count() && item.iSubItem == 0
                              ? icons_.ImageFor(model_.Text(index), model_.ShownMissing(index),
                                                model_.ShownFolder(index))
                              : I_IMAGENONE;
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
        if (edit != nullptr && info.item.iItem >= 0 && index < Count()) {
            // The view limits its editor to a display-sized text; a path may be as long as
            // the system allows, and the user must be able to lengthen it.
            ::SendMessageW(edit, EM_SETLIMITTEXT, kLongestPath, 0);
            ::SetWindowTextW(edit, PathAt(index).c_str());
            ::SendMessageW(edit, EM_SETSEL, 0, -1);
        }
        *result = FALSE;
        return true;
    }
    case LVN_ENDLABELEDITW: {
        auto& info = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header));
        size_t index = static_cast<size_t>(info.item.iItem);
        if (info.item.pszText != nullptr && info.item.iItem >= 0 && index < Count()) {
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
