#include "filelist/list_part.h"

#include <commctrl.h>

#include "filelist/kept_list.h"
#include "win/error.h"
#include "win/list_view.h"
#include "win/thread_returns.h"

namespace filelist {

ListPart::ListPart(const Places& places, const Services& services, settings::Settings& settings)
    : places_(places), services_(services), settings_(settings) {
    const HWND area = places.listArea.Hwnd();
    MakeFont();
    panel_ = std::make_unique<win::Panel>(area, win::Bounds{1, 1, 496, 230});
    // The window's own font for the field: the list's is for paths.
    const HFONT windowFont = reinterpret_cast<HFONT>(::SendMessageW(area, WM_GETFONT, 0, 0));
    filter_ = std::make_unique<ListFilterField>(*panel_, windowFont);
    view_ = win::CreateChild(
        WC_LISTVIEWW, L"", WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_EDITLABELS | LVS_OWNERDATA,
        WS_EX_CLIENTEDGE, {1, 1, 494, 228}, panel_->Hwnd(), kIdListView, font_.get());
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = win::ScaleToDpi(300, win::Window::WindowDpi(view_));
    column.pszText = const_cast<wchar_t*>(L"ファイル名");
    win::ListView(view_).InsertColumn(0, column);
    panel_->AddAligned(view_, win::Align::Client);
    places.listArea.AddAligned(panel_->Hwnd(), win::Align::Client);
    panel_->ApplyDpi();

    list_ = std::make_unique<FileList>(view_, services.statusBar);
    filter_->SetList(*list_, view_);
    reader_ = std::make_unique<ListFileReader>(*list_, services.statusBar, win::ThreadReturns());
    prune_ =
        std::make_unique<MissingPrune>(places.window, *list_, services.statusBar, services.dialogs);
    header_ = std::make_unique<SortHeader>(view_, [this] {
        return SortHeader::Sorted{list_->SortedViewColumn(), list_->Model().SortedAscending()};
    });
    list_->onSorted = [this] { header_->SortChanged(); };
    list_->onShownChanged = [this] { filter_->ShowCount(); };
    // The triangle follows its column; the path column's width follows the list area only
    // while it is alone.
    list_->onColumnsChanged = [this] {
        header_->SortChanged();
        Resized();
    };
    if (settings.columns) {
        columnsKept_ = true;
        list_->ShowColumns(ParseColumns(*settings.columns));
    }
    keptList_ = std::make_unique<KeptListKeeper>(places.keptListPath,
                                                 [this] { return list_->Model().Freeze(); });
    TakeKeptList();
    ChooseKeepList(settings.keepList);
    list_->onChanged = [this] { keptList_->ListChanged(); };
    Resized();
}

ListPart::~ListPart() {
    if (list_)
        list_->onChanged = nullptr;
}

void ListPart::MakeFont() {
    win::FontHandle font =
        win::MakeGothicFont(win::ScaleToDpi(12, win::Window::WindowDpi(places_.window)));
    if (font_ && panel_)
        win::ReplaceFont(panel_->Hwnd(), font_.get(), font.get());
    font_ = std::move(font);
}

void ListPart::TakeKeptList() {
    if (!settings_.keepList)
        return;
    // A kept list that cannot be read is put aside and reported, and the program starts with
    // an empty list; one that could not be put aside is never written over.
    try {
        filelist::RestoreKeptList(places_.keptListPath, *list_);
    } catch (const UnreadKeptList& unread) {
        if (!unread.MovedAside())
            keptList_->LeaveFileAlone();
        win::ReportCurrentException();
    } catch (...) {
        win::ReportCurrentException();
    }
}

void ListPart::ChooseKeepList(bool keep) {
    settings_.keepList = keep;
    ::CheckMenuItem(places_.mainMenu, kIdKeepList, keep ? MF_CHECKED : MF_UNCHECKED);
    keptList_->SetKept(keep);
}

std::optional<LRESULT> ListPart::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0; shellMenu_.HandleMenuMessage(msg, wParam, lParam, result))
        return result;
    switch (msg) {
    case WM_NOTIFY:
        return Notify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != view_)
            return std::nullopt;
        ShowContextMenu(lParam);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) != ListFilterField::kIdEdit || HIWORD(wParam) != EN_CHANGE)
            return std::nullopt;
        filter_->TextChanged();
        return 0;
    }
    return std::nullopt;
}

std::optional<LRESULT> ListPart::Notify(const NMHDR& header) {
    if (LRESULT result = 0; list_->HandleNotify(header, &result))
        return result;
    if (header.hwndFrom != view_)
        return std::nullopt;
    switch (header.code) {
    case LVN_COLUMNCLICK:
        list_->SortByColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        return 0;
    case LVN_KEYDOWN:
        ListKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
        return 0;
    case NM_DBLCLK: {
        // On a row that the click left selected (a Ctrl+double-click may have taken it out).
        const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
        if (row >= 0 && list_->IsSelected(static_cast<size_t>(row)))
            RunCommand(kIdOpenSelected);
        return 0;
    }
    }
    return std::nullopt;
}

bool ListPart::KeyPreview(wchar_t key) {
    constexpr wchar_t kCtrlF = 0x06;
    constexpr wchar_t kCtrlZ = 0x1A;
    constexpr wchar_t kEscape = 0x1B;
    if (key == kCtrlF)
        return RunCommand(kIdFilter);
    if (filter_->Key(key))
        return true;
    if (key == kEscape && list_->Sorting()) {
        list_->CancelSort();
        return true;
    }
    if (key == kEscape && reader_->Running()) {
        reader_->Cancel();
        return true;
    }
    // Ctrl+Z arrives as its control character. An edit field (the memo, a label being edited)
    // undoes its own typing instead.
    if (key == kCtrlZ) {
        wchar_t className[8] = {};
        ::GetClassNameW(::GetFocus(), className, 8);
        if (::lstrcmpiW(className, L"Edit") != 0)
            RunCommand(kIdUndo);
        return true;
    }
    return false;
}

void ListPart::AppActivated(bool active) {
    if (active)
        list_->Recheck();
}

void ListPart::Resized() {
    if (list_->AddedColumnsShown())
        return;
    const int width = win::ChildBounds(places_.listArea.Hwnd()).width;
    win::ListView(view_).SetColumnWidth(
        0, width - win::ScaleToDpi(16, win::Window::WindowDpi(places_.window)));
}

void ListPart::DpiChanged() {
    MakeFont();
    list_->SetIconDpi(win::Window::WindowDpi(places_.window));
    Resized();
}

void ListPart::Closing(bool quietly) {
    // A file that never had columns beside the path keeps its keys as they were.
    if (columnsKept_ || list_->AddedColumnsShown())
        settings_.columns = FormatColumns(list_->Columns());
    list_->onChanged = nullptr;
    // A kept list that cannot be written is reported (unless nobody is there to see it), and
    // the program ends all the same.
    try {
        keptList_->Finish();
    } catch (...) {
        if (!quietly)
            win::ReportCurrentException();
    }
}

} // namespace filelist
