#include "win/text_fit.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "win/controls.h"
#include "win/layout.h"
#include "win/window.h"

namespace win {
namespace {

// What the box needs to show its text whole in its current font: its own measure where it
// gives one, else the text, the check mark and the room between them.
int NeededWidth(HWND box) {
    SIZE ideal{};
    if (::SendMessageW(box, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) && ideal.cx > 0)
        return ideal.cx;
    const std::wstring text = WindowText(box);
    const int dpi = Window::WindowDpi(box);
    HDC dc = ::GetDC(box);
    const HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(box, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(box, dc);
    return extent.cx + ::GetSystemMetricsForDpi(SM_CXMENUCHECK, static_cast<UINT>(dpi)) +
           ScaleToDpi(6, dpi);
}

} // namespace

FontHandle FitCheckBox(HWND box, HFONT font, int right, int smallest) {
    const Bounds at = ChildBounds(box);
    const int widest = right - at.left;
    ::SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    LOGFONTW made{};
    ::GetObjectW(font, sizeof made, &made);
    FontHandle smaller;
    int needed = NeededWidth(box);
    for (int height = -made.lfHeight - 1; needed > widest && height >= smallest; --height) {
        made.lfHeight = -height;
        FontHandle next(::CreateFontIndirectW(&made));
        ::SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(next.get()), FALSE);
        smaller = std::move(next);
        needed = NeededWidth(box);
    }
    if (needed > at.width)
        ::SetWindowPos(box, nullptr, 0, 0, std::min(needed, widest), at.height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(box, nullptr, TRUE);
    return smaller;
}

} // namespace win
