#include "app/about_box.h"

#include <algorithm>

#include "version.h"
#include "win/controls.h"
#include "win/error.h"
#include "win/window.h"

namespace app {

namespace {

const wchar_t kClassName[] = L"TuckbayAboutBox";
constexpr int kClientWidth = 256;
constexpr int kClientHeight = 104;
constexpr COLORREF kTitleColour = RGB(0, 128, 0);
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME;

} // namespace

AboutBox::AboutBox(win::Application& application, HWND owner)
    : application_(application), owner_(owner) {
    RegisterWindowClass(kClassName, 0, COLOR_BTNFACE);
    CreateNative(kExStyle, kClassName, L"バージョン情報", kStyle, 0, 0, kClientWidth, kClientHeight,
                 nullptr, nullptr);
    titleLabel_ = MakeLabel(L"Tuckbay v" TUCKBAY_VERSION_TEXT);
    creditLabel_ = MakeLabel(L"Tuckbay 開発チーム");
    LayOut(win::Window::WindowDpi(owner_ ? owner_ : Hwnd()));
}

void AboutBox::LayOut(int dpi) {
    dpi_ = dpi;
    auto scaled = [dpi](int designed) { return win::ScaleToDpi(designed, dpi); };
    win::FontHandle windowFont = win::MakeFont(L"Tahoma", scaled(11));
    win::FontHandle titleFont = win::MakeFont(L"Times New Roman", scaled(24), false, true);
    RECT frame{0, 0, scaled(kClientWidth), scaled(kClientHeight)};
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, kExStyle, static_cast<UINT>(dpi));
    SetWindowPos(Hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(windowFont.get()), FALSE);
    PlaceLabel(titleLabel_, scaled(16), scaled(16), titleFont.get());
    PlaceLabel(creditLabel_, scaled(48), scaled(56), windowFont.get());
    // The labels hold the new fonts now; the old ones can go.
    windowFont_ = std::move(windowFont);
    titleFont_ = std::move(titleFont);
}

HWND AboutBox::MakeLabel(const wchar_t* text) {
    return CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0,
                           0, 0, Hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
}

void AboutBox::PlaceLabel(HWND label, int x, int y, HFONT font) {
    // Exactly as large as its text in its font, with the part of an italic last letter that
    // leans out past its advance: the label would cut it off.
    const std::wstring text = win::WindowText(label);
    HDC dc = GetDC(Hwnd());
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    GLYPHMETRICS last{};
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    if (!text.empty() &&
        GetGlyphOutlineW(dc, text.back(), GGO_METRICS, &last, 0, nullptr, &identity) != GDI_ERROR)
        size.cx += std::max<LONG>(0, last.gmptGlyphOrigin.x + static_cast<int>(last.gmBlackBoxX) -
                                         last.gmCellIncX);
    SelectObject(dc, old);
    ReleaseDC(Hwnd(), dc);
    SetWindowPos(label, nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void AboutBox::ShowModal() {
    // The owner may have moved to a monitor of another scale since the box was last laid out.
    if (const int dpi = win::Window::WindowDpi(owner_ ? owner_ : Hwnd()); dpi != dpi_)
        LayOut(dpi);
    RECT box{}, over{};
    GetWindowRect(Hwnd(), &box);
    if (!owner_ || !GetWindowRect(owner_, &over))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
    const int width = box.right - box.left, height = box.bottom - box.top;
    SetWindowPos(Hwnd(), nullptr, over.left + (over.right - over.left - width) / 2,
                 over.top + (over.bottom - over.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    closed_ = false;
    // Owned only while shown: that keeps the box above the main window, topmost or not. A
    // hidden owned window would stop Wine from changing the main window's topmost state.
    SetWindowLongPtrW(Hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner_));
    application_.RunModal(Hwnd(), owner_, [this] { return closed_; });
    SetWindowLongPtrW(Hwnd(), GWLP_HWNDPARENT, 0);
}

LRESULT AboutBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        // Closing only hides the box; it is shown again next time.
        closed_ = true;
        return 0;
    case WM_DPICHANGED:
        LayOut(HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == titleLabel_)
            SetTextColor(reinterpret_cast<HDC>(wParam), kTitleColour);
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefaultHandling(msg, wParam, lParam);
}

} // namespace app
