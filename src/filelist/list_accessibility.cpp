#include "filelist/list_accessibility.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <climits>

namespace filelist {
namespace {

// Items are the rows counted from 1; 0 is none.
long ItemOf(std::optional<size_t> row) { return row ? static_cast<long>(*row) + 1 : 0; }

} // namespace

win::AccessibleFacts ListAccessibility::Describe(long item) {
    win::AccessibleFacts f;
    if (item == 0) {
        f.name = L"ファイルリスト";
        f.role = ROLE_SYSTEM_LIST;
        return f;
    }
    const auto row = static_cast<size_t>(item - 1);
    f.name = rows_.text(row);
    f.role = ROLE_SYSTEM_LISTITEM;
    f.state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (item == SelectedItem())
        f.state |= STATE_SYSTEM_SELECTED;
    if (item == FocusedItem() && ::GetFocus() == listView_)
        f.state |= STATE_SYSTEM_FOCUSED;
    if (rows_.missing(row)) {
        f.state |= STATE_SYSTEM_UNAVAILABLE;
        f.description = kMissingDescription;
    }
    return f;
}

long ListAccessibility::ItemCount() {
    // A list longer than the interface can count shows its first rows.
    return static_cast<long>(std::min<size_t>(rows_.count(), LONG_MAX));
}

std::optional<RECT> ListAccessibility::ItemBounds(long item) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    if (!::SendMessageW(listView_, LVM_GETITEMRECT, static_cast<WPARAM>(item - 1),
                        reinterpret_cast<LPARAM>(&r)))
        return std::nullopt;
    ::MapWindowPoints(listView_, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

long ListAccessibility::ItemAt(POINT screen) {
    LVHITTESTINFO hit{};
    hit.pt = screen;
    ::ScreenToClient(listView_, &hit.pt);
    const auto row = ::SendMessageW(listView_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return row >= 0 && (hit.flags & LVHT_ONITEM) ? static_cast<long>(row) + 1 : 0;
}

long ListAccessibility::FocusedItem() { return ItemOf(rows_.focused()); }
long ListAccessibility::SelectedItem() { return ItemOf(rows_.selected()); }

} // namespace filelist
