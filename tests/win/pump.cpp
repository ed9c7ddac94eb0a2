#include "pump.h"

#include <windows.h>

#include <algorithm>

namespace tuckbay::test {

void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        PumpPending();
        if (done()) {
            return true;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            return false;
        }
        // Wake on any new input or message, and at least every 50 ms for conditions that
        // change without a message (files written by another process, other threads).
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        DWORD wait = static_cast<DWORD>(std::min<long long>(left.count(), 50));
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

} // namespace tuckbay::test
