#include "win/list_view.h"

namespace win {

size_t ListView::ItemCount() const {
    return static_cast<size_t>(::SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0));
}

void ListView::SetItemCount(size_t count, DWORD flags) {
    ::SendMessageW(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), flags);
}

std::optional<size_t> ListView::NextItem(int start, UINT flags) const {
    const auto item = ::SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(start), flags);
    return item < 0 ? std::nullopt : std::optional<size_t>(static_cast<size_t>(item));
}

void ListView::SetItemState(int item, UINT state, UINT mask) {
    LVITEMW change{};
    change.state = state;
    change.stateMask = mask;
    ::SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                   reinterpret_cast<LPARAM>(&change));
}

void ListView::RedrawItems(size_t first, size_t last) {
    ::SendMessageW(hwnd_, LVM_REDRAWITEMS, first, last);
}

void ListView::DeleteItem(size_t item) { ::SendMessageW(hwnd_, LVM_DELETEITEM, item, 0); }

void ListView::DeleteAllItems() { ::SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0); }

void ListView::EnsureVisible(size_t item) { ::SendMessageW(hwnd_, LVM_ENSUREVISIBLE, item, FALSE); }

int ListView::TopIndex() const {
    return static_cast<int>(::SendMessageW(hwnd_, LVM_GETTOPINDEX, 0, 0));
}

std::optional<RECT> ListView::ItemRect(size_t item, int part) const {
    RECT rect{};
    rect.left = part;
    if (!::SendMessageW(hwnd_, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect)))
        return std::nullopt;
    return rect;
}

void ListView::Scroll(int dx, int dy) { ::SendMessageW(hwnd_, LVM_SCROLL, dx, dy); }

std::optional<size_t> ListView::ItemAt(POINT client) const {
    LVHITTESTINFO hit{};
    hit.pt = client;
    const auto item = ::SendMessageW(hwnd_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (item < 0 || !(hit.flags & LVHT_ONITEM))
        return std::nullopt;
    return static_cast<size_t>(item);
}

void ListView::EditLabel(size_t item) { ::SendMessageW(hwnd_, LVM_EDITLABELW, item, 0); }

void ListView::SetRedraw(bool redraw) { ::SendMessageW(hwnd_, WM_SETREDRAW, redraw, 0); }

HWND ListView::EditControl() const {
    return reinterpret_cast<HWND>(::SendMessageW(hwnd_, LVM_GETEDITCONTROL, 0, 0));
}

HWND ListView::Header() const {
    return reinterpret_cast<HWND>(::SendMessageW(hwnd_, LVM_GETHEADER, 0, 0));
}

void ListView::SetSmallImages(HIMAGELIST images) {
    ::SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
}

COLORREF ListView::BackgroundColor() const {
    return static_cast<COLORREF>(::SendMessageW(hwnd_, LVM_GETBKCOLOR, 0, 0));
}

int ListView::ColumnWidth(int column) const {
    return static_cast<int>(::SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, column, 0));
}

void ListView::SetColumnWidth(int column, int width) {
    ::SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0));
}

void ListView::InsertColumn(int at, const LVCOLUMNW& column) {
    ::SendMessageW(hwnd_, LVM_INSERTCOLUMNW, at, reinterpret_cast<LPARAM>(&column));
}

void ListView::DeleteColumn(int column) { ::SendMessageW(hwnd_, LVM_DELETECOLUMN, column, 0); }

} // namespace win
