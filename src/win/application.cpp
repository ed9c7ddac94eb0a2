#include "win/application.h"

#include <algorithm>
#include <new>

#include "win/controls.h"
#include "win/error.h"
#include "win/text_rules.h"

namespace win {
namespace {

constexpr wchar_t kClassName[] = L"TuckbayApplication";
Application* g_current = nullptr;

} // namespace

Application::Application(const std::wstring& title) {
    RegisterWindowClass(kClassName, 0, COLOR_BTNFACE);
    // Zero-sized in the middle of the screen: it is there for the taskbar, not to be seen.
    int x = ::GetSystemMetrics(SM_CXSCREEN) / 2;
    int y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
    CreateNative(0, kClassName, title.c_str(),
                 WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                 nullptr, nullptr);
    HMENU menu = ::GetSystemMenu(Hwnd(), FALSE);
    ::DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    ::DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    ::DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);
    previous_ = g_current;
    g_current = this;
}

Application::~Application() {
    if (g_current == this)
        g_current = previous_;
    if (Hwnd() != nullptr)
        ::DestroyWindow(Hwnd());
}

Application* Application::Current() noexcept { return g_current; }

std::wstring Application::Title() const { return WindowText(Hwnd()); }

void Application::SetActivationHooks(std::function<void()> onActivate,
                                     std::function<void()> onDeactivate) {
    onActivate_ = std::move(onActivate);
    onDeactivate_ = std::move(onDeactivate);
}

void Application::NoteActivation(bool active) {
    // Every top-level window of the program hears of the change; act once per change.
    if (active == active_)
        return;
    active_ = active;
    const auto& hook = active ? onActivate_ : onDeactivate_;
    if (hook)
        hook();
}

void Application::SetDialogs(Dialogs* dialogs) noexcept {
    dialogs_ = dialogs ? dialogs : &systemDialogs_;
}

void Application::ShowError(const std::wstring& text) {
    if (!sessionEnded_)
        dialogs_->ShowError(main_, WithClosingPeriod(text));
}

void Application::EndSession() noexcept {
    if (sessionEnded_)
        return;
    sessionEnded_ = true;
    if (sessionEnd_) {
        try {
            sessionEnd_();
        } catch (...) {
            // Dropped: the process ends in a moment, and no box could be answered.
        }
    }
}

void Application::Dispatch(MSG& msg) {
    bool handled = false;
    if (hook_) {
        try {
            hook_(msg, handled);
        } catch (...) {
            ReportCurrentException();
        }
    }
    if (handled)
        return;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && MoveFocusByTab(msg))
        return;
    if (msg.message == WM_CHAR && keyPreview_ && main_ != nullptr &&
        (msg.hwnd == main_ || ::IsChild(main_, msg.hwnd))) {
        try {
            keyPreview_(static_cast<wchar_t>(msg.wParam));
        } catch (...) {
            ReportCurrentException();
        }
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

bool Application::MoveFocusByTab(MSG& msg) {
    if (main_ == nullptr || (msg.hwnd != main_ && !::IsChild(main_, msg.hwnd)) ||
        ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0)
        return false;
    // Every control gives Tab up, the capture's memo too: a keyboard user is never caught in a
    // field that keeps it.
    HWND focus = ::GetFocus();
    HWND next =
        ::GetNextDlgTabItem(main_, focus == main_ ? nullptr : focus, ::GetKeyState(VK_SHIFT) < 0);
    if (next == nullptr)
        return false;
    ::SetFocus(next);
    // From now on the focused control shows it, as controls of a dialog do once Tab is used.
    ::SendMessageW(main_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    return true;
}

bool Application::ProcessOneMessage() {
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        // Leave the quit for the loop that owns it.
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    Dispatch(msg);
    return true;
}

void Application::RunModal(HWND box, HWND owner, const std::function<bool()>& done) {
    if (owner != nullptr)
        ::EnableWindow(owner, FALSE);
    ::ShowWindow(box, SW_SHOW);
    MSG msg;
    while (!done()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        Dispatch(msg);
    }
    // The owner takes input again before the box goes, so that activation returns to it.
    if (owner != nullptr)
        ::EnableWindow(owner, TRUE);
    ::ShowWindow(box, SW_HIDE);
}

bool Application::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return done();
        if (!ProcessOneMessage()) {
            ::MsgWaitForMultipleObjectsEx(0, nullptr, std::min<DWORD>(10, timeoutMs - elapsed),
                                          QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }
    return true;
}

int Application::Run() {
    ::ShowWindow(Hwnd(), SW_SHOWNOACTIVATE);
    if (main_ != nullptr) {
        ::ShowWindow(main_, SW_SHOW);
        ::SetForegroundWindow(main_);
    }
    running_ = true;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        Dispatch(msg);
    running_ = false;
    return static_cast<int>(msg.wParam);
}

void Application::Minimize() {
    if (main_ != nullptr)
        ::ShowWindow(main_, SW_HIDE);
    ::ShowWindow(Hwnd(), SW_MINIMIZE);
}

void Application::Restore() {
    ::ShowWindow(Hwnd(), SW_RESTORE);
    if (main_ != nullptr) {
        ::ShowWindow(main_, SW_SHOW);
        ::SetForegroundWindow(main_);
    }
}

void Application::BringToFront() {
    if (main_ == nullptr)
        return;
    if (!::IsWindowVisible(main_)) {
        Restore(); // minimised, the program stands on the taskbar alone
        return;
    }
    if (::IsIconic(main_))
        ::ShowWindow(main_, SW_RESTORE);
    ::SetForegroundWindow(main_);
}

LRESULT Application::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SYSCOMMAND:
        if (systemCommand_ && systemCommand_(wParam))
            return 0;
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
            Minimize();
            return 0;
        case SC_RESTORE:
            Restore();
            return 0;
        case SC_CLOSE:
            if (main_ != nullptr)
                ::PostMessageW(main_, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_CLOSE:
        if (main_ != nullptr)
            ::PostMessageW(main_, WM_CLOSE, 0, 0);
        return 0;
    case WM_ACTIVATE:
        // The taskbar button activates this window; the user means the main window.
        if (LOWORD(wParam) != WA_INACTIVE && main_ != nullptr && ::IsWindowVisible(main_)) {
            ::SetForegroundWindow(main_);
        }
        return 0;
    case WM_ACTIVATEAPP:
        NoteActivation(wParam != FALSE);
        return 0;
    case WM_QUERYENDSESSION:
        // Everything the program holds can be saved without asking anyone.
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            EndSession();
        return 0;
    }
    return DefaultHandling(msg, wParam, lParam);
}

} // namespace win
