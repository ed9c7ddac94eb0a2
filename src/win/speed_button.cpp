// The speed button: a flat button of the program's own drawing that can stay down, in a grouped
// pair, as a toggle of its own or as a plain push button.
#include "win/controls.h"

#include <oleacc.h>
#include <windowsx.h>

#include "win/accessible.h"
#include "win/control_support.h"
#include "win/error.h"

namespace win {
namespace {

constexpr wchar_t kButtonClass[] = L"TuckbaySpeedButton";

} // namespace

using detail::Adopt;
using detail::ParentFont;
using detail::ScaledFor;

SpeedButton::SpeedButton(HWND parent, const Bounds& designed, const wchar_t* text, int id,
                         Kind kind, bool down, int group)
    : id_(id), kind_(kind), down_(kind != Kind::Push && down), group_(group) {
    RegisterWindowClass(kButtonClass, 0, -1);
    const Bounds b = ScaledFor(parent, designed);
    CreateNative(0, kButtonClass, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, b.left, b.top, b.width,
                 b.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
    Adopt(parent, Hwnd(), designed);
    auto facts = [this] {
        AccessibleFacts f;
        f.name = WindowText(Hwnd());
        f.role = ROLE_SYSTEM_PUSHBUTTON;
        f.state = down_ ? STATE_SYSTEM_PRESSED : 0;
        f.defaultAction = L"押す";
        return f;
    };
    // Posted: the answer must not wait for whatever the click sets going.
    auto click = [this] { ::PostMessageW(Hwnd(), BM_CLICK, 0, 0); };
    SetAccessibleSource(DescribedBy(facts, click));
}

void SpeedButton::SetDown(bool down) {
    if (kind_ == Kind::Push)
        return;
    if (kind_ == Kind::Grouped && down) {
        HWND parent = ::GetParent(Hwnd());
        for (HWND sibling = ::GetWindow(parent, GW_CHILD); sibling != nullptr;
             sibling = ::GetWindow(sibling, GW_HWNDNEXT)) {
            auto* other = dynamic_cast<SpeedButton*>(Window::FromHwnd(sibling));
            if (other != nullptr && other != this && other->kind_ == Kind::Grouped &&
                other->group_ == group_ && other->down_) {
                other->ShowDown(false);
            }
        }
    }
    if (kind_ == Kind::Grouped && !down)
        return; // one of the group always stays down
    if (down_ != down)
        ShowDown(down);
}

void SpeedButton::ShowDown(bool down) {
    down_ = down;
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
    // Screen readers hear of it as of a standard button's change.
    ::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, Hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

void SpeedButton::Click() {
    switch (kind_) {
    case Kind::Grouped:
        if (down_)
            return; // pressing the down one changes nothing and is no click
        SetDown(true);
        break;
    case Kind::Toggle:
        ShowDown(!down_);
        break;
    case Kind::Push:
        break;
    }
    ::SendMessageW(::GetParent(Hwnd()), WM_COMMAND, MAKEWPARAM(id_, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Hwnd()));
}

bool SpeedButton::PointerInside() const {
    POINT p;
    ::GetCursorPos(&p);
    RECT r;
    ::GetWindowRect(Hwnd(), &r);
    return ::PtInRect(&r, p) != FALSE;
}

bool SpeedButton::ShowsFocus() const {
    // As a standard button: hidden while the window says the keyboard has not been used yet.
    return ::GetFocus() == Hwnd() &&
           !(::SendMessageW(Hwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

void SpeedButton::Paint(HDC hdc) {
    RECT r;
    ::GetClientRect(Hwnd(), &r);
    bool sunken = down_ || (pressing_ && hot_) || spaceHeld_;
    ::FillRect(hdc, &r, ::GetSysColorBrush(sunken && down_ ? COLOR_3DLIGHT : COLOR_BTNFACE));
    if (sunken) {
        ::DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT);
    } else if (kind_ != Kind::Push || hot_) {
        ::DrawEdge(hdc, &r, kind_ == Kind::Push ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT);
    }
    RECT text = r;
    if (sunken)
        ::OffsetRect(&text, 1, 1);
    HGDIOBJ oldFont = ::SelectObject(hdc, ParentFont(Hwnd()));
    ::SetBkMode(hdc, TRANSPARENT);
    ::SetTextColor(hdc, ::GetSysColor(COLOR_BTNTEXT));
    std::wstring caption = WindowText(Hwnd());
    ::DrawTextW(hdc, caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(hdc, oldFont);
    if (ShowsFocus()) {
        const int inset = Scale(3);
        ::InflateRect(&r, -inset, -inset);
        ::DrawFocusRect(hdc, &r);
    }
}

LRESULT SpeedButton::KeyDown(WPARAM key, LPARAM flags) {
    // A key held down repeats; the button is pressed once.
    const bool repeat = (flags & (1 << 30)) != 0;
    if (key == VK_SPACE && !repeat) {
        spaceHeld_ = true;
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
    } else if (key == VK_RETURN && !repeat) {
        Click();
    }
    return 0;
}

LRESULT SpeedButton::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintScope paint(Hwnd());
        Paint(paint.Dc());
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressing_ = true;
        hot_ = true;
        ::SetCapture(Hwnd());
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
        return 0;
    case WM_MOUSEMOVE: {
        bool inside = PointerInside();
        if (inside != hot_) {
            hot_ = inside;
            ::InvalidateRect(Hwnd(), nullptr, TRUE);
        }
        if (inside && !pressing_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Hwnd(), 0};
            ::TrackMouseEvent(&track);
        }
        return 0;
    }
    case WM_MOUSELEAVE:
        hot_ = false;
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
        return 0;
    case WM_LBUTTONUP: {
        bool wasPressing = pressing_;
        pressing_ = false;
        if (::GetCapture() == Hwnd())
            ::ReleaseCapture();
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
        if (wasPressing && PointerInside())
            Click();
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (pressing_) {
            pressing_ = false;
            ::InvalidateRect(Hwnd(), nullptr, TRUE);
        }
        return 0;
    case BM_GETCHECK:
        return down_ ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        SetDown(wParam == BST_CHECKED);
        return 0;
    case BM_GETSTATE:
        return (down_ ? BST_CHECKED : BST_UNCHECKED) | (pressing_ || spaceHeld_ ? BST_PUSHED : 0) |
               (::GetFocus() == Hwnd() ? BST_FOCUS : 0) | (hot_ ? 0x0200 : 0) /* BST_HOT */;
    case BM_CLICK:
        Click();
        return 0;
    case WM_KEYDOWN:
        return KeyDown(wParam, lParam);
    case WM_KEYUP:
        if (wParam == VK_SPACE && spaceHeld_) {
            spaceHeld_ = false;
            ::InvalidateRect(Hwnd(), nullptr, TRUE);
            Click();
        }
        return 0;
    case WM_SETFOCUS:
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
        return 0;
    case WM_KILLFOCUS:
        // Space released elsewhere is no click.
        spaceHeld_ = false;
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
        return 0;
    case WM_UPDATEUISTATE:
        DefaultHandling(msg, wParam, lParam);
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE: {
        // Enter comes to the button itself: the dialog manager would otherwise send the
        // parent a command without the button's own change of state.
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        if (message != nullptr && message->message == WM_KEYDOWN && message->wParam == VK_RETURN)
            return DLGC_BUTTON | DLGC_WANTMESSAGE;
        return DLGC_BUTTON;
    }
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

} // namespace win
