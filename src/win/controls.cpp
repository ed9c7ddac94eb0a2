#include "win/controls.h"

#include <oleacc.h>
#include <shellapi.h>
#include <windowsx.h>

#include "win/accessible.h"
#include "win/control_support.h"
#include "win/error.h"

namespace win {

using detail::Adopt;
using detail::ParentFont;
using detail::ScaledFor;

namespace {

constexpr wchar_t kPanelClass[] = L"TuckbayPanel";
constexpr wchar_t kLabelClass[] = L"TuckbayLabel";
constexpr wchar_t kImageClass[] = L"TuckbayImage";

} // namespace

FontHandle MakeFont(const wchar_t* face, int height, bool bold, bool italic, BYTE charset) {
    LOGFONTW lf{};
    lf.lfHeight = -height;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = italic ? TRUE : FALSE;
    lf.lfCharSet = charset;
    lf.lfQuality = DEFAULT_QUALITY;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return FontHandle(::CreateFontIndirectW(&lf));
}

FontHandle MakeGothicFont(int height, bool bold) {
    return MakeFont(L"ＭＳ Ｐゴシック", height, bold, false, SHIFTJIS_CHARSET);
}

HWND CreateChild(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle,
                 const Bounds& designed, HWND parent, int id, HFONT font) {
    const Bounds b = ScaledFor(parent, designed);
    HWND hwnd = ::CreateWindowExW(
        exStyle, className, text, style | WS_CHILD, b.left, b.top, b.width, b.height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr) {
        DWORD code = ::GetLastError();
        throw Error(L"ウィンドウを作成できません。" + SystemMessageText(code),
                    static_cast<long>(code));
    }
    Adopt(parent, hwnd, designed);
    if (font != nullptr)
        ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return hwnd;
}

std::wstring WindowText(HWND hwnd) {
    int length = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

// ---- Panel ----

Panel::Panel(HWND parent, const Bounds& designed, int colorIndex, bool bevel, const wchar_t* text)
    : colorIndex_(colorIndex), bevel_(bevel) {
    RegisterWindowClass(kPanelClass, 0, -1);
    SetContentInset(bevel ? 1 : 0);
    const Bounds b = ScaledFor(parent, designed);
    CreateNative(WS_EX_CONTROLPARENT, kPanelClass, text,
                 WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, b.left, b.top, b.width,
                 b.height, parent, nullptr);
    Adopt(parent, Hwnd(), designed);
    ::SendMessageW(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(ParentFont(Hwnd())), FALSE);
    // A panel with a text is a group of controls by that name; one without is only layout.
    SetAccessibleSource(DescribedBy([this] {
        AccessibleFacts f;
        if (std::wstring text = WindowText(Hwnd()); !text.empty()) {
            f.name = std::move(text);
            f.role = ROLE_SYSTEM_GROUPING;
        }
        return f;
    }));
}

LRESULT Panel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT r;
        ::GetClientRect(Hwnd(), &r);
        HDC hdc = reinterpret_cast<HDC>(wParam);
        ::FillRect(hdc, &r, ::GetSysColorBrush(colorIndex_));
        if (bevel_)
            ::DrawEdge(hdc, &r, BDR_RAISEDINNER, BF_RECT);
        return 1;
    }
    case WM_SIZE:
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
        break;
    case WM_COMMAND:
    case WM_NOTIFY:
        return ::SendMessageW(::GetParent(Hwnd()), msg, wParam, lParam);
    case WM_CONTEXTMENU:
        // The default handling would name the panel in wParam, not the control clicked.
        ::SendMessageW(::GetParent(Hwnd()), msg, wParam, lParam);
        return 0;
    case WM_DROPFILES: {
        auto drop = reinterpret_cast<HDROP>(wParam);
        if (onDropFiles)
            onDropFiles(drop);
        else
            ::DragFinish(drop);
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC hdc = reinterpret_cast<HDC>(wParam);
        ::SetBkColor(hdc, ::GetSysColor(colorIndex_));
        ::SetTextColor(hdc, ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(colorIndex_));
    }
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

// ---- Label ----

Label::Label(HWND parent, const Bounds& designed, const wchar_t* text, HFONT font,
             int backColorIndex, int textColorIndex)
    : backColorIndex_(backColorIndex), textColorIndex_(textColorIndex) {
    RegisterWindowClass(kLabelClass, 0, -1);
    const Bounds b = ScaledFor(parent, designed);
    CreateNative(0, kLabelClass, text, WS_CHILD | WS_VISIBLE, b.left, b.top, b.width, b.height,
                 parent, nullptr);
    Adopt(parent, Hwnd(), designed);
    ::SendMessageW(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetAccessibleSource(DescribedBy([this] {
        AccessibleFacts f;
        f.name = WindowText(Hwnd());
        f.role = ROLE_SYSTEM_STATICTEXT;
        f.state = STATE_SYSTEM_READONLY;
        return f;
    }));
}

void Label::SetBackColorIndex(int colorIndex) {
    if (colorIndex == backColorIndex_)
        return;
    backColorIndex_ = colorIndex;
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

LRESULT Label::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        // Presses and drops go to the panel beneath, as for a label drawn on it.
        return HTTRANSPARENT;
    case WM_PAINT: {
        PaintScope paint(Hwnd());
        HDC hdc = paint.Dc();
        RECT r;
        ::GetClientRect(Hwnd(), &r);
        ::FillRect(hdc, &r, ::GetSysColorBrush(backColorIndex_));
        HGDIOBJ oldFont =
            ::SelectObject(hdc, reinterpret_cast<HFONT>(::SendMessageW(Hwnd(), WM_GETFONT, 0, 0)));
        ::SetBkMode(hdc, TRANSPARENT);
        ::SetTextColor(hdc, ::GetSysColor(textColorIndex_));
        std::wstring text = WindowText(Hwnd());
        ::DrawTextW(hdc, text.c_str(), -1, &r, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        ::SelectObject(hdc, oldFont);
        return 0;
    }
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

// ---- Image ----

Image::Image(HWND parent, const Bounds& designed, HICON icon) : icon_(icon) {
    RegisterWindowClass(kImageClass, CS_DBLCLKS, -1);
    const Bounds b = ScaledFor(parent, designed);
    CreateNative(0, kImageClass, L"", WS_CHILD | WS_VISIBLE, b.left, b.top, b.width, b.height,
                 parent, nullptr);
    Adopt(parent, Hwnd(), designed);
}

void Image::SetAccessibleTexts(std::wstring name, std::wstring description) {
    SetAccessibleSource(DescribedBy([name = std::move(name), description = std::move(description)] {
        AccessibleFacts f;
        f.name = name;
        f.description = description;
        f.role = ROLE_SYSTEM_GRAPHIC;
        return f;
    }));
}

void Image::SetIcon(HICON icon) {
    icon_ = icon;
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

LRESULT Image::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    int x = GET_X_LPARAM(lParam);
    int y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintScope paint(Hwnd());
        HDC hdc = paint.Dc();
        RECT r;
        ::GetClientRect(Hwnd(), &r);
        HWND parent = ::GetParent(Hwnd());
        auto* panel = dynamic_cast<Panel*>(Window::FromHwnd(parent));
        ::FillRect(hdc, &r, ::GetSysColorBrush(panel ? panel->ColorIndex() : COLOR_BTNFACE));
        // The icon fills the image, which is sized for the DPI, as is the icon given.
        if (icon_ != nullptr)
            ::DrawIconEx(hdc, 0, 0, icon_, r.right, r.bottom, 0, nullptr, DI_NORMAL);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = true;
        ::SetCapture(Hwnd());
        if (onMouseDown)
            onMouseDown(Button::Left, x, y);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        if (onMouseDown)
            onMouseDown(Button::Right, x, y);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        if (onMouseDown)
            onMouseDown(Button::Middle, x, y);
        return 0;
    case WM_MOUSEMOVE:
        if (onMouseMove)
            onMouseMove(x, y);
        return 0;
    case WM_LBUTTONUP:
        pressed_ = false;
        if (::GetCapture() == Hwnd())
            ::ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        // Losing the capture to anyone else ends the press as a release would.
        if (reinterpret_cast<HWND>(lParam) != Hwnd())
            pressed_ = false;
        return 0;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

bool IsChecked(HWND box) { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND box, bool checked) {
    ::SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SelectAllText(HWND edit) { ::SendMessageW(edit, EM_SETSEL, 0, -1); }

void SetTextLimit(HWND edit, size_t characters) {
    ::SendMessageW(edit, EM_SETLIMITTEXT, characters, 0);
}

} // namespace win
