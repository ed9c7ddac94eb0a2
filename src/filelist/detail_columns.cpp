#include "filelist/detail_columns.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <array>

#include "filelist/row_icons.h"
#include "win/handles.h"
#include "win/list_view.h"
#include "win/path_parts.h"
#include "win/window.h"

namespace filelist {
namespace {

constexpr std::array<const wchar_t*, kDetailColumnCount> kCaptions = {
    L"ファイル名", L"名前", L"フォルダー", L"サイズ", L"更新日時", L"種類"};

bool LooksLikeFolder(std::wstring_view path) {
    return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

std::wstring SizeText(uint64_t size) {
    wchar_t text[64] = {};
    ::StrFormatKBSizeW(static_cast<LONGLONG>(size), text, 64);
    return text;
}

// The user's short date and time of day, in local time.
std::wstring DateText(uint64_t modified) {
    const FILETIME written{static_cast<DWORD>(modified), static_cast<DWORD>(modified >> 32)};
    SYSTEMTIME utc{}, local{};
    if (!::FileTimeToSystemTime(&written, &utc) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return {};
    wchar_t date[80] = {}, time[80] = {};
    ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 80, nullptr);
    ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, time, 80);
    return std::wstring(date) + L" " + time;
}

} // namespace

const std::wstring& TypeNames::Of(std::wstring_view path, bool folder) {
    std::wstring kind = FileKind(path, folder);
    folder = kind == kFolderKind;
    auto found = names_.find(kind);
    if (found != names_.end())
        return found->second;
    SHFILEINFOW info{};
    const std::wstring probe = folder ? L"folder" : L"file" + kind;
    ::SHGetFileInfoW(probe.c_str(), folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL,
                     &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    return names_.emplace(std::move(kind), info.szTypeName).first->second;
}

DetailColumns::DetailColumns(HWND listView)
    : listView_(listView), dpi_(win::Window::WindowDpi(listView)), shown_{DetailColumn::Path} {}

void DetailColumns::SetDpi(int dpi) {
    if (dpi == dpi_)
        return;
    const std::vector<ShownColumn> columns = Shown();
    dpi_ = dpi;
    if (AddedShown())
        Show(columns);
}

std::vector<ShownColumn> DetailColumns::Shown() const {
    std::vector<ShownColumn> columns;
    for (size_t i = 0; i < shown_.size(); ++i) {
        const int width = win::ListView(listView_).ColumnWidth(static_cast<int>(i));
        columns.push_back({shown_[i], win::ScaleFromDpi(width, dpi_)});
    }
    return columns;
}

void DetailColumns::Show(const std::vector<ShownColumn>& columns) {
    while (shown_.size() > 1) {
        win::ListView(listView_).DeleteColumn(static_cast<int>(shown_.size()) - 1);
        shown_.pop_back();
    }
    for (const ShownColumn& column : columns) {
        if (column.column == DetailColumn::Path) {
            if (columns.size() > 1)
                win::ListView(listView_).SetColumnWidth(0, win::ScaleToDpi(column.width, dpi_));
            continue;
        }
        Insert(static_cast<int>(shown_.size()), column);
    }
}

void DetailColumns::Insert(int at, const ShownColumn& column) {
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    item.fmt = column.column == DetailColumn::Size ? LVCFMT_RIGHT : LVCFMT_LEFT;
    item.cx = win::ScaleToDpi(column.width, dpi_);
    item.pszText = const_cast<wchar_t*>(kCaptions[static_cast<size_t>(column.column)]);
    win::ListView(listView_).InsertColumn(at, item);
    shown_.insert(shown_.begin() + at, column.column);
}

DetailColumn DetailColumns::ColumnAt(int viewColumn) const noexcept {
    return viewColumn >= 0 && static_cast<size_t>(viewColumn) < shown_.size()
               ? shown_[static_cast<size_t>(viewColumn)]
               : DetailColumn::Path;
}

int DetailColumns::ViewColumnOf(DetailColumn column) const noexcept {
    const auto found = std::find(shown_.begin(), shown_.end(), column);
    return found == shown_.end() ? -1 : static_cast<int>(found - shown_.begin());
}

bool DetailColumns::ChooseFromMenu(POINT screen) {
    win::MenuHandle menu(::CreatePopupMenu());
    for (int i = 0; i < kDetailColumnCount; ++i) {
        const auto column = static_cast<DetailColumn>(i);
        UINT flags = MF_STRING | (ViewColumnOf(column) >= 0 ? MF_CHECKED : MF_UNCHECKED);
        // The path is always shown.
        if (column == DetailColumn::Path)
            flags |= MF_GRAYED;
        ::AppendMenuW(menu.get(), flags, static_cast<UINT_PTR>(i + 1), kCaptions[i]);
    }
    const int chosen = static_cast<int>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x,
                         screen.y, 0, listView_, nullptr));
    if (chosen <= 1)
        return false;
    const auto column = static_cast<DetailColumn>(chosen - 1);
    const int at = ViewColumnOf(column);
    if (at >= 0) {
        win::ListView(listView_).DeleteColumn(at);
        shown_.erase(shown_.begin() + at);
    } else {
        // The path, alone, filled the list's width; it makes room for the first column beside it.
        if (shown_.size() == 1)
            win::ListView(listView_).SetColumnWidth(
                0, win::ScaleToDpi(DefaultWidth(DetailColumn::Path), dpi_));
        Insert(static_cast<int>(shown_.size()), {column, DefaultWidth(column)});
    }
    return true;
}

std::wstring DetailColumns::Text(int viewColumn, std::wstring_view path, const FileDetails& details,
                                 bool folder) {
    switch (ColumnAt(viewColumn)) {
    case DetailColumn::Path:
        return std::wstring(path);
    case DetailColumn::Name:
        return std::wstring(win::PathName(path));
    case DetailColumn::Folder:
        return std::wstring(win::PathFolder(path));
    case DetailColumn::Size: {
        const auto size = details.Size();
        return size ? SizeText(*size) : std::wstring();
    }
    case DetailColumn::Modified: {
        const auto modified = details.Modified();
        return modified ? DateText(*modified) : std::wstring();
    }
    case DetailColumn::Type:
        return types_.Of(path, folder || details.IsFolder() || LooksLikeFolder(path));
    }
    return {};
}

} // namespace filelist
