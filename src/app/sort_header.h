// The triangle in the sorted column's header item: which way the last sort went.
//
// The header draws no such mark itself, so the sorted column's item is made owner-drawn and
// painted here. The header tells its parent, the list view, to paint the item; the list view's
// message handler is replaced to catch that. The list view rewrites its header items now and
// then (after a divider drag, for one), so the header is subclassed too and puts the
// owner-drawn flag back whenever it ends a mouse gesture.
#pragma once

#include <windows.h>

#include <cstdint>

namespace app {

class SortHeader {
public:
    // listView: a report list view with its header.
    explicit SortHeader(HWND listView);
    ~SortHeader();
    SortHeader(const SortHeader&) = delete;
    SortHeader& operator=(const SortHeader&) = delete;

    // The column-click update, after the list has been sorted by column.
    void ColumnClicked(int32_t column);

    // Switches an item between owner-drawn and plain text; an item the header does not have
    // (column -1 before the first sort) is left alone.
    void SetHeaderOwnerDraw(int32_t column, bool on);
    void DrawHeaderItem(DRAWITEMSTRUCT drawItem);

    int32_t SortColumn() const noexcept { return sortColumn_; }
    bool SortArrowUp() const noexcept { return sortArrowUp_ != 0; }
    HWND HeaderHandle() const noexcept { return header_; }

private:
    static LRESULT CALLBACK ListWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK HeaderWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static SortHeader* From(HWND hwnd);

    void DrawHeaderText(HDC hdc, const RECT& rect, bool pressed);
    void DrawSortArrow(HDC hdc, const RECT& rect);

    HWND listView_;
    HWND header_;
    int32_t sortColumn_ = -1;
    uint8_t sortArrowUp_ = 0;
    WNDPROC oldListWndProc_ = nullptr;
    WNDPROC OldHeaderWndProc = nullptr;
};

} // namespace app
