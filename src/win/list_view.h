// The list view's messages the program sends, as calls: one place that knows how each is
// packed, so the rest of the code says what it asks of the view.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <optional>

namespace win {

class ListView {
public:
    explicit ListView(HWND hwnd) noexcept : hwnd_(hwnd) {}
    HWND Hwnd() const noexcept { return hwnd_; }

    size_t ItemCount() const;
    void SetItemCount(size_t count, DWORD flags);
    // The first item after start (-1: from the top) with the LVNI_ flags; none at the end.
    std::optional<size_t> NextItem(int start, UINT flags) const;
    // The item's (-1: every item's) states in mask set to state.
    void SetItemState(int item, UINT state, UINT mask);
    void RedrawItems(size_t first, size_t last);
    void DeleteItem(size_t item);
    void DeleteAllItems();
    void EnsureVisible(size_t item);
    int TopIndex() const;
    std::optional<RECT> ItemRect(size_t item, int part = LVIR_BOUNDS) const;
    void Scroll(int dx, int dy);
    // The editor in place opened on the item.
    void EditLabel(size_t item);
    // The item on which a point of the view's client area lies.
    std::optional<size_t> ItemAt(POINT client) const;
    // Drawing held back while many changes are made.
    void SetRedraw(bool redraw);

    HWND EditControl() const;
    HWND Header() const;
    void SetSmallImages(HIMAGELIST images);
    COLORREF BackgroundColor() const;

    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    void InsertColumn(int at, const LVCOLUMNW& column);
    void DeleteColumn(int column);

private:
    HWND hwnd_;
};

} // namespace win
