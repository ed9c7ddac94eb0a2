#include "filelist/sort_header.h"

#include "filelist/header_geometry.h"
#include "win/error.h"
#include "win/handles.h"
#include "win/list_view.h"
#include "win/window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string>

namespace filelist {

namespace {

HeaderRect ToHeaderRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const HeaderRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// A column's caption and format, read from the list view; the caption may be of any length.
std::wstring ColumnCaption(HWND listView, int column, int* format) {
    std::wstring text(64, L'\0');
    for (;;) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_FMT;
        col.pszText = text.data();
        col.cchTextMax = static_cast<int>(text.size());
        if (!SendMessageW(listView, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col))) {
            *format = LVCFMT_LEFT;
            return {};
        }
        *format = col.fmt;
        size_t length = wcsnlen(text.c_str(), text.size());
        if (length + 1 < text.size())
            return text.substr(0, length);
        text.assign(text.size() * 2, L'\0');
    }
}

} // namespace

SortHeader::SortHeader(HWND listView, std::function<Sorted()> sorted)
    : listView_(listView), header_(win::ListView(listView).Header()), sorted_(std::move(sorted)),
      listSubclass_(listView, [this](UINT msg, WPARAM wParam, LPARAM lParam) {
          return ListMessage(msg, wParam, lParam);
      }) {
    if (header_) {
        headerSubclass_ = std::make_unique<win::Subclass>(
            header_, [this](UINT msg, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
                // A second click on an item soon after the first comes as a double click, which
                // Wine's header takes for no click at all: pressed as the first was, it sorts.
                if (msg == WM_LBUTTONDBLCLK && OnItem(lParam))
                    return headerSubclass_->CallOriginal(WM_LBUTTONDOWN, wParam, lParam);
                if (msg != WM_CAPTURECHANGED)
                    return std::nullopt;
                // Every gesture on the header (a click on an item, a divider drag) ends by
                // letting go of the mouse; by then the list view may have rewritten the item.
                const LRESULT result = headerSubclass_->CallOriginal(msg, wParam, lParam);
                SetHeaderOwnerDraw(drawnColumn_, true);
                return result;
            });
    }
}

bool SortHeader::OnItem(LPARAM point) const {
    HDHITTESTINFO hit{};
    hit.pt = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    return ::SendMessageW(header_, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0 &&
           hit.flags == HHT_ONHEADER;
}

void SortHeader::SortChanged() {
    const int32_t column = sorted_().column;
    if (column != drawnColumn_)
        SetHeaderOwnerDraw(drawnColumn_, false);
    drawnColumn_ = column;
    SetHeaderOwnerDraw(column, true);
    if (header_)
        InvalidateRect(header_, nullptr, TRUE);
}

void SortHeader::SetHeaderOwnerDraw(int32_t column, bool on) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (!header_ || !SendMessageW(header_, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item))) {
        return;
    }
    if (on)
        item.fmt = (item.fmt | HDF_OWNERDRAW) & ~HDF_STRING;
    else
        item.fmt = (item.fmt & ~HDF_OWNERDRAW) | HDF_STRING;
    SendMessageW(header_, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
}

void SortHeader::DrawHeaderItem(DRAWITEMSTRUCT drawItem) {
    if (!header_)
        return;
    win::SavedDc saved(drawItem.hDC);
    HDC hdc = drawItem.hDC;
    SelectObject(hdc, reinterpret_cast<HFONT>(SendMessageW(listView_, WM_GETFONT, 0, 0)));
    SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(hdc, GetSysColor(COLOR_BTNFACE));
    SetBkMode(hdc, OPAQUE);
    FillRect(hdc, &drawItem.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    // The header reports exactly this state while the button holds the item down.
    DrawHeaderText(hdc, drawItem.rcItem, drawItem.itemState == ODS_SELECTED);
}

void SortHeader::DrawHeaderText(HDC hdc, const RECT& rect, bool pressed) {
    const HeaderLayout layout =
        LayoutHeaderItem(ToHeaderRect(rect), pressed, win::Window::WindowDpi(listView_));
    int format = LVCFMT_LEFT;
    std::wstring caption = ColumnCaption(listView_, drawnColumn_, &format);
    UINT flags = DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX | DT_END_ELLIPSIS;
    switch (format & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT:
        flags |= DT_RIGHT;
        break;
    case LVCFMT_CENTER:
        flags |= DT_CENTER;
        break;
    default:
        break;
    }
    RECT text = ToRect(layout.text);
    DrawTextW(hdc, caption.c_str(), -1, &text, flags);
    DrawSortArrow(hdc, ToRect(layout.triangle));
}

void SortHeader::DrawSortArrow(HDC hdc, const RECT& rect) {
    const auto corners = SortArrowPoints(ToHeaderRect(rect), sorted_().ascending);
    POINT points[3];
    for (int i = 0; i < 3; ++i)
        points[i] = {corners[i].x, corners[i].y};
    win::PenHandle pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    win::BrushHandle brush(CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW)));
    // Selected objects cannot be deleted, so the old ones go back before the handles close.
    HGDIOBJ oldPen = SelectObject(hdc, pen.get());
    HGDIOBJ oldBrush = SelectObject(hdc, brush.get());
    Polygon(hdc, points, 3);
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
}

std::optional<LRESULT> SortHeader::ListMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_DRAWITEM)
        return std::nullopt;
    const auto& drawItem = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    // Only the sorted column's header item is owner-drawn in this list view.
    if (drawItem.CtlType != ODT_HEADER || drawItem.hwndItem != header_)
        return std::nullopt;
    DrawHeaderItem(drawItem);
    listSubclass_.CallOriginal(msg, wParam, lParam);
    // A header that hears FALSE back paints its own face over the item (Wine's does).
    return TRUE;
}

} // namespace filelist
