#include "filelist/file_list.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <utility>

#include "filelist/detail_reader.h"
#include "filelist/list_sorter.h"
#include "filelist/name_matcher.h"
#include "win/controls.h"
#include "win/list_view.h"
#include "win/thread_returns.h"
#include "win/window.h"

namespace filelist {
namespace {

// The longest path the system accepts, in characters.
constexpr WPARAM kLongestPath = 32767;

} // namespace

FileList::FileList(HWND listView, win::StatusBar& statusBar)
    : listView_(listView), view_(listView), statusBar_(statusBar), returns_(win::ThreadReturns()),
      self_(std::make_shared<FileList*>(this)),
      filter_(
          model_, rows_, [] { return std::make_unique<SystemNameMatcher>(); }, returns_),
      sort_(model_, SortFrozenList, returns_),
      facts_(model_, returns_, PathExists,
             [](std::vector<DetailQuestion>& questions, const std::function<bool()>& keepGoing) {
                 ReadDetails(questions, keepGoing);
             }),
      columns_(listView),
      accessibility_(std::make_shared<ListAccessibility>(
          listView,
          ListAccessibility::Rows{
              [this] { return Count(); }, [this](size_t row) { return PathAt(row); },
              [this](size_t row) { return KnownMissing(row).value_or(false); },
              [this] { return FocusedIndex(); },
              [this]() -> std::optional<size_t> { return view_.NextItem(-1, LVNI_SELECTED); }})),
      subclass_(listView, [this](UINT msg, WPARAM wParam, LPARAM lParam) {
          return ListMessage(msg, wParam, lParam);
      }) {
    // The icons' image list is this object's, made again at each DPI.
    ::SetWindowLongPtrW(listView_, GWL_STYLE,
                        ::GetWindowLongPtrW(listView_, GWL_STYLE) | LVS_SHAREIMAGELISTS);
    SetIconDpi(win::Window::WindowDpi(listView_));
    filter_.onMatched = [this](std::vector<uint32_t> shown) { FilterMatched(std::move(shown)); };
    sort_.onSorted = [this](SortedList& sorted) { Sorted(sorted); };
    sort_.onCancelled = [this] { sortProgress_.End(L"並べ替えを取り消しました"); };
    facts_.onChanged = [this](size_t index, bool missingChanged) {
        FileChanged(index, missingChanged);
    };
    facts_.onDetails = [this](const std::vector<size_t>& indices) { DetailsRead(indices); };
}

FileList::~FileList() = default;

std::optional<LRESULT> FileList::ListMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETOBJECT:
        return win::AnswerGetObject(listView_, wParam, lParam, accessibility_);
    case WM_CONTEXTMENU:
        // The header hands a right click on it up to the list.
        if (reinterpret_cast<HWND>(wParam) != view_.Header())
            break;
        if (columns_.ChooseFromMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
            ColumnsChanged();
        return 0;
    }
    return std::nullopt;
}

void FileList::SyncView() {
    syncPosted_ = false;
    if (model_.Changes() != changesSeen_) {
        changesSeen_ = model_.Changes();
        if (onChanged)
            onChanged();
    }
    if (view_.ItemCount() != Count()) {
        view_.SetItemCount(Count(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
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

std::optional<size_t> FileList::FocusedIndex() const {
    const std::optional<size_t> index = view_.NextItem(-1, LVNI_FOCUSED);
    return index && *index < Count() ? index : std::nullopt;
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

void FileList::SetIconDpi(int dpi) {
    COLORREF background = view_.BackgroundColor();
    if (background == CLR_NONE)
        background = ::GetSysColor(COLOR_WINDOW);
    ImageListHandle replaced = icons_.SetDpi(dpi, background);
    columns_.SetDpi(dpi);
    view_.SetSmallImages(icons_.ImageList());
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
    facts_.Drawn(index);
    if (!model_.ShownMissing(index))
        return CDRF_DODEFAULT;
    draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
    return CDRF_NEWFONT;
}

void FileList::FileChanged(size_t index, bool missingChanged) {
    // Asked by entry; a hidden entry has no row to redraw.
    const std::optional<size_t> row = rows_.RowOf(index);
    if (!row)
        return;
    view_.RedrawItems(*row, *row);
    // A screen reader hears that the row's file has gone, or come back.
    if (missingChanged)
        ::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, listView_, OBJID_CLIENT,
                         static_cast<LONG>(*row) + 1);
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
        HWND edit = view_.EditControl();
        if (edit != nullptr && info.item.iItem >= 0 && index < Count()) {
            // The view limits its editor to a display-sized text; a path may be as long as
            // the system allows, and the user must be able to lengthen it.
            win::SetTextLimit(edit, kLongestPath);
            ::SetWindowTextW(edit, PathAt(index).c_str());
            win::SelectAllText(edit);
        }
        *result = FALSE;
        return true;
    }
    case LVN_ENDLABELEDITW: {
        auto& info = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header));
        size_t index = static_cast<size_t>(info.item.iItem);
        if (info.item.pszText != nullptr && info.item.iItem >= 0 && index < Count()) {
            // Read the editor itself: the notification's copy may be cut to a display buffer.
            HWND edit = view_.EditControl();
            ReplaceAt(index, edit != nullptr ? win::WindowText(edit) : info.item.pszText);
        }
        *result = FALSE; // the view keeps no text of its own
        return true;
    }
    }
    return false;
}

} // namespace filelist
