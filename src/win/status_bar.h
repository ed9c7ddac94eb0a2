// The status bar, written through one owner: the count in its first part, and in its second what
// long work is doing or what the last drag did.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "win/thread_returns.h"

namespace win {

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
    // current from text() until EndProgress. A newer Begin takes the part over.
    void BeginProgress(std::function<std::wstring()> text);
    // The work has ended: the part says ending (cleared by default), if the progress was shown.
    void EndProgress(std::wstring_view ending = {});
    bool ProgressShown() const noexcept { return shown_; }

private:
    HWND hwnd_;
    std::function<std::wstring()> progress_;
    bool shown_ = false;
    Timer timer_;
};

} // namespace win
