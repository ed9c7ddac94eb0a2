// The triangle in the sorted column's header item: which way the last sort went.
//
// The header draws no such mark itself, so the sorted column's item is made owner-drawn and
// painted here. The header tells its parent, the list view, to paint the item; the list view is
// subclassed to catch that. The list view rewrites its header items now and then (after a
// divider drag, for one), so the header is subclassed too and puts the owner-drawn flag back
// whenever it ends a mouse gesture. Which column was sorted last and which way is the list's
// to say; the header only draws it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "win/subclass.h"

namespace filelist {

class SortHeader {
public:
    struct Sorted {
        int32_t column; // -1 before the first sort
        bool ascending;
    };
    // listView: a report list view with its header; sorted: what the list says of its last sort.
    SortHeader(HWND listView, std::function<Sorted()> sorted);
    SortHeader(const SortHeader&) = delete;
    SortHeader& operator=(const SortHeader&) = delete;

    // After every sort: the column sorted before is plain again, the one sorted now shows its
    // triangle.
    void SortChanged();

    // Switches an item between owner-drawn and plain text; an item the header does not have
    // (column -1 before the first sort) is left alone.
    void SetHeaderOwnerDraw(int32_t column, bool on);
    void DrawHeaderItem(DRAWITEMSTRUCT drawItem);

    int32_t SortColumn() const { return sorted_().column; }
    bool SortArrowUp() const { return sorted_().ascending; }
    HWND HeaderHandle() const noexcept { return header_; }

private:
    std::optional<LRESULT> ListMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Whether a point of the header lies on an item, not on a divider.
    bool OnItem(LPARAM point) const;
    void DrawHeaderText(HDC hdc, const RECT& rect, bool pressed);
    void DrawSortArrow(HDC hdc, const RECT& rect);

    HWND listView_;
    HWND header_;
    std::function<Sorted()> sorted_;
    // The column made owner-drawn, to be made plain when another is sorted.
    int32_t drawnColumn_ = -1;
    win::Subclass listSubclass_;
    std::unique_ptr<win::Subclass> headerSubclass_;
};

} // namespace filelist
