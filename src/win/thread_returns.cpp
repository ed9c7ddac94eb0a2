#include "win/thread_returns.h"

#include <unordered_map>

#include "win/error.h"

namespace win {

namespace {
constexpr UINT kRunWaiting = WM_APP + 1;
constexpr wchar_t kClassName[] = L"TuckbayReturns";
} // namespace

// One message-only window a thread, made at the thread's first use and kept as long as it runs:
// the Returns' wake-ups and the timers arrive there.
struct TimerWindow {
    HWND hwnd = nullptr;
    Returns returns;
    std::unordered_map<UINT_PTR, Timer*> timers;
    UINT_PTR lastId = 0;

    explicit TimerWindow(HWND window)
        : hwnd(window), returns([window] { ::PostMessageW(window, kRunWaiting, 0, 0); }) {}

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static TimerWindow& OfThisThread();
};

TimerWindow& TimerWindow::OfThisThread() {
    // Never destroyed: workers may still hand back to it while the program ends.
    thread_local TimerWindow* window = nullptr;
    if (window != nullptr)
        return *window;
    static const ATOM atom = [] {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = Procedure;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        return ::RegisterClassExW(&wc);
    }();
    HWND hwnd = atom == 0 ? nullptr
                          : ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                              nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr)
        ThrowLastError();
    window = new TimerWindow(hwnd);
    return *window;
}

LRESULT CALLBACK TimerWindow::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        if (msg == kRunWaiting) {
            OfThisThread().returns.RunWaiting();
            return 0;
        }
        if (msg == WM_TIMER) {
            TimerWindow& self = OfThisThread();
            const auto found = self.timers.find(wParam);
            if (found == self.timers.end())
                return 0;
            Timer& timer = *found->second;
            if (timer.once_)
                timer.Stop();
            // A copy: the tick may destroy its timer.
            const std::function<void()> tick = timer.tick_;
            tick();
            return 0;
        }
    } catch (...) {
        ReportCurrentException();
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

Returns& ThreadReturns() { return TimerWindow::OfThisThread().returns; }

Timer::Timer(std::function<void()> tick) : tick_(std::move(tick)) {}

Timer::~Timer() { Stop(); }

void Timer::Start(UINT ms) { Set(ms, false); }

void Timer::Once(UINT ms) { Set(ms, true); }

void Timer::Set(UINT ms, bool once) {
    TimerWindow& window = TimerWindow::OfThisThread();
    if (id_ == 0) {
        id_ = ++window.lastId;
        window.timers[id_] = this;
    }
    once_ = once;
    if (::SetTimer(window.hwnd, id_, ms, nullptr) == 0) {
        Stop();
        ThrowLastError();
    }
}

void Timer::Stop() {
    if (id_ == 0)
        return;
    TimerWindow& window = TimerWindow::OfThisThread();
    ::KillTimer(window.hwnd, id_);
    window.timers.erase(id_);
    id_ = 0;
}

} // namespace win
