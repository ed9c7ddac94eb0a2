// The window's thread side of work done elsewhere: the thread's Returns, whose closures run from
// whatever message loop the thread runs (the main loop, a box's, a menu's), and timers.
#pragma once

#include <windows.h>

#include <functional>

#include "win/returns.h"

namespace win {

// The calling thread's Returns. A closure that throws reaches the program's standard error
// handling, like every entry of ours from the platform.
Returns& ThreadReturns();

// A timer of the calling thread: tick runs from its message loop, every ms until Stop (Start),
// or once (Once). Starting it again restarts it. Nothing runs once the timer is gone.
class Timer {
public:
    explicit Timer(std::function<void()> tick);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void Start(UINT ms);
    void Once(UINT ms);
    void Stop();
    bool Running() const noexcept { return id_ != 0; }

private:
    friend struct TimerWindow;
    void Set(UINT ms, bool once);
    std::function<void()> tick_;
    UINT_PTR id_ = 0;
    bool once_ = false;
};

} // namespace win
