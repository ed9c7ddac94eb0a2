// The status bar: the count in its first part, and in its second what long work is doing or what
// the last drag did.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "win/thread_returns.h"

namespace win {

class StatusBar;

// One piece of long work's own progress in the report part, from BeginProgress until End or
// until it goes. Empty when made by default or moved from.
class ProgressText {
public:
    ProgressText() = default;
    ProgressText(ProgressText&& other) noexcept;
    ProgressText& operator=(ProgressText&& other) noexcept;
    ~ProgressText() { End(); }

    // The work has ended: its text leaves the part. If the part showed it, the part goes back to
    // other work's progress still under way, or else says ending (cleared by default).
    void End(std::wstring_view ending = {});

private:
    friend class StatusBar;
    ProgressText(StatusBar* bar, uint64_t id) : bar_(bar), id_(id) {}
    StatusBar* bar_ = nullptr;
    uint64_t id_ = 0;
};

class StatusBar {
public:
    static constexpr int kCountPart = 0;
    static constexpr int kReportPart = 1;

    explicit StatusBar(HWND hwnd);
    HWND Hwnd() const noexcept { return hwnd_; }

    void SetText(int part, std::wstring_view text);
    // Where each part ends, in pixels from the left; -1 for the last, to the bar's end.
    void SetParts(const int* rightEdges, int count);
    std::wstring Text(int part) const;

    // Long work's progress in the report part: shown once the work has run 200 ms, then kept
    // current from text() until the work's ProgressText ends. Of the work that has run that
    // long, the newest has the part. The status bar must outlive every ProgressText it gives.
    [[nodiscard]] ProgressText BeginProgress(std::function<std::wstring()> text);

private:
    friend class ProgressText;
    struct Work {
        uint64_t id;
        std::function<std::wstring()> text;
        ULONGLONG begun;
    };
    void EndProgress(uint64_t id, std::wstring_view ending);
    void Tick();
    // Shows the newest work that has run long enough; false when none has.
    bool ShowDueProgress(ULONGLONG now);

    HWND hwnd_;
    // In the order begun.
    std::vector<Work> work_;
    uint64_t lastId_ = 0;
    // The work whose progress the part shows, 0 for none.
    uint64_t shownId_ = 0;
    Timer timer_;
};

} // namespace win
