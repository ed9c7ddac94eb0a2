// The clipboard from the Windows tests: the helper clipboard_writer writes it from another
// process, as the shell does, or holds it open; other members of the viewer chain watch.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "win/handles.h"

namespace tuckbay::test {

// Runs the helper with mode "copy", "cut" or "copy-ansi" and the paths, pumping this thread's
// messages meanwhile (its clipboard notices are messages to us). Returns its exit code;
// STILL_ACTIVE when it did not end in time, ~0u when it could not be started.
DWORD PutFilesFromHelper(const std::wstring& mode, const std::vector<std::wstring>& paths);

// What a paste in another process (the helper) finds on the clipboard, one line each:
// "effect N", "hdrop PATH" and "idlist PATH" in the order the formats list them.
std::vector<std::wstring> ReadFilesFromHelper();

// Puts text on the clipboard from this process.
void PutText(HWND owner, const std::wstring& text);

// The clipboard held open by the helper, with a window, for the life of the object.
class HeldClipboard {
public:
    HeldClipboard();
    ~HeldClipboard();
    HeldClipboard(const HeldClipboard&) = delete;
    HeldClipboard& operator=(const HeldClipboard&) = delete;

    bool Held() const noexcept { return held_; }

private:
    win::KernelHandle ready_, release_, helper_;
    bool held_ = false;
};

// A viewer in another process, the helper, that joins the chain and is killed there without
// leaving it.
class ViewerProcess {
public:
    ViewerProcess();
    ~ViewerProcess() { Kill(); }
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;

    bool Joined() const noexcept { return joined_; }
    // Ends the helper and waits until it is gone.
    void Kill();

private:
    win::KernelHandle ready_, helper_;
    bool joined_ = false;
};

// A window procedure that hands messages to an object kept in the window's user data.
template <typename T> LRESULT CALLBACK Forward(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        ::SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr) {
        LRESULT result = 0;
        if (self->Handle(msg, wParam, lParam, result))
            return result;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

template <typename T> HWND CreateTestWindow(const wchar_t* className, T* self) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Forward<T>;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    ::RegisterClassExW(&wc); // a second registration fails harmlessly
    return ::CreateWindowExW(0, className, className, WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                             nullptr, nullptr, wc.hInstance, self);
}

// Another member of the viewer chain that records what reaches it and passes notices on.
class ChainViewer {
public:
    ChainViewer() : window_(CreateTestWindow(L"TuckbayTestViewer", this)) {}
    ~ChainViewer() { Leave(); }

    void Join() {
        next_ = ::SetClipboardViewer(window_.get());
        joined_ = true;
    }
    void Leave() {
        if (joined_)
            ::ChangeClipboardChain(window_.get(), next_);
        joined_ = false;
    }
    HWND Hwnd() const { return window_.get(); }
    HWND Next() const { return next_; }

    bool Handle(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    int draws = 0;
    std::vector<std::pair<HWND, HWND>> changes;

private:
    HWND next_ = nullptr;
    bool joined_ = false;
    win::WindowHandle window_;
};

} // namespace tuckbay::test
