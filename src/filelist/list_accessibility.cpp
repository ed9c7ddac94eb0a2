#include "filelist/list_accessibility.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <climits>

#include "win/list_view.h"

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
    std::optional<RECT> bounds = win::ListView(listView_).ItemRect(static_cast<size_t>(item - 1));
    if (!bounds)
        return std::nullopt;
    RECT& r = *bounds;
    ::MapWindowPoints(listView_, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    return bounds;
}

long ListAccessibility::ItemAt(POINT screen) {
    ::ScreenToClient(listView_, &screen);
    const std::optional<size_t> row = win::ListView(listView_).ItemAt(screen);
    return row ? static_cast<long>(*row) + 1 : 0;
}

long ListAccessibility::FocusedItem() { return ItemOf(rows_.focused()); }
long ListAccessibility::SelectedItem() { return ItemOf(rows_.selected()); }

} // namespace filelist
