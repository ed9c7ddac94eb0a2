#include "win/window.h"

#include <utility>

#include "win/accessible.h"
#include "win/error.h"

namespace win {

Window::~Window() {
    if (hwnd_ == nullptr)
        return;
    // What the derived parts handled is gone already: the messages of the window's destruction
    // go to the system's default handling, not to a half-destroyed object.
    HWND hwnd = std::exchange(hwnd_, nullptr);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd);
}

Window* Window::FromHwnd(HWND hwnd) noexcept {
    if (hwnd == nullptr)
        return nullptr;
    if (::GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&Procedure)) {
        return nullptr;
    }
    return reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Window::RegisterWindowClass(const wchar_t* className, UINT style, int backgroundColor,
                                 HCURSOR cursor) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(instance, className, &existing))
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &Procedure;
    wc.hInstance = instance;
    wc.hCursor = cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = backgroundColor >= 0 ? ::GetSysColorBrush(backgroundColor) : nullptr;
    wc.lpszClassName = className;
    if (!::RegisterClassExW(&wc)) {
        DWORD code = ::GetLastError();
        throw Error(SystemMessageText(code), static_cast<long>(code));
    }
}

void Window::CreateNative(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                          int x, int y, int width, int height, HWND parent, HMENU menuOrId) {
    HWND hwnd = ::CreateWindowExW(exStyle, className, text, style, x, y, width, height, parent,
                                  menuOrId, ::GetModuleHandleW(nullptr), this);
    if (hwnd == nullptr) {
        DWORD code = ::GetLastError();
        throw Error(L"ウィンドウを作成できません。" + SystemMessageText(code),
                    static_cast<long>(code));
    }
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        self->dpi_ = static_cast<int>(::GetDpiForWindow(hwnd));
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr)
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    // Known before any handler runs, so that everything the change brings is laid out for it.
    if (msg == WM_DPICHANGED)
        self->dpi_ = HIWORD(wParam);

    LRESULT result = 0;
    try {
        result = self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        ReportCurrentException();
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->OnDestroyed();
    }
    return result;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        Realign();
        break;
    // Our windows keep a font as the standard controls do, so children can take their
    // parent's font.
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            ::InvalidateRect(hwnd_, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_GETOBJECT:
        if (auto answer = AnswerGetObject(hwnd_, wParam, lParam, accessible_))
            return *answer;
        break;
    }
    return DefaultHandling(msg, wParam, lParam);
}

LRESULT Window::DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

int Window::WindowDpi(HWND hwnd) noexcept {
    HWND root = hwnd ? ::GetAncestor(hwnd, GA_ROOT) : nullptr;
    if (const Window* top = FromHwnd(root); top != nullptr && top->dpi_ > 0)
        return top->dpi_;
    const UINT dpi = root ? ::GetDpiForWindow(root) : ::GetDpiForSystem();
    return dpi > 0 ? static_cast<int>(dpi) : kDesignedDpi;
}

void Window::AddDesigned(HWND child, const Bounds& designed) {
    designed_.push_back({child, designed});
}

void Window::AddAligned(HWND child, Align align) { aligned_.push_back({child, align}); }

void Window::ApplyDpi() {
    const int dpi = Dpi();
    for (const DesignedChild& child : designed_) {
        const Bounds b = ScaleToDpi(child.bounds, dpi);
        ::SetWindowPos(child.hwnd, nullptr, b.left, b.top, b.width, b.height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Realign();
    for (const DesignedChild& child : designed_) {
        if (Window* inner = FromHwnd(child.hwnd))
            inner->ApplyDpi();
    }
}

void ReplaceFont(HWND root, HFONT from, HFONT to) {
    auto replace = [](HWND hwnd, LPARAM fonts) -> BOOL {
        const auto* pair = reinterpret_cast<const HFONT*>(fonts);
        if (reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)) == pair[0])
            ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(pair[1]), TRUE);
        return TRUE;
    };
    const HFONT fonts[] = {from, to};
    replace(root, reinterpret_cast<LPARAM>(fonts));
    ::EnumChildWindows(root, replace, reinterpret_cast<LPARAM>(fonts));
}

Bounds ChildBounds(HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Window::Realign() {
    if (hwnd_ == nullptr || aligned_.empty())
        return;
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    std::vector<AlignedItem> items;
    items.reserve(aligned_.size());
    for (const AlignedChild& child : aligned_) {
        items.push_back({child.align, ChildBounds(child.hwnd),
                         (::GetWindowLongW(child.hwnd, GWL_STYLE) & WS_VISIBLE) != 0});
    }
    const int inset = Scale(inset_);
    Bounds area{inset, inset, client.right - 2 * inset, client.bottom - 2 * inset};
    ApplyAlignment(area, items);
    for (size_t i = 0; i < items.size(); ++i) {
        const Bounds& b = items[i].bounds;
        if (!items[i].visible || b == ChildBounds(aligned_[i].hwnd))
            continue;
        ::SetWindowPos(aligned_[i].hwnd, nullptr, b.left, b.top, b.width, b.height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

} // namespace win
