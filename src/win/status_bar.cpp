#include "win/status_bar.h"

#include <commctrl.h>

namespace win {
namespace {
// Before this, a long piece of work says nothing; after it, every so often how far it has come.
constexpr UINT kProgressDelayMs = 200;
} // namespace

StatusBar::StatusBar(HWND hwnd)
    : hwnd_(hwnd), timer_([this] {
          if (!progress_)
              return;
          shown_ = true;
          SetText(kReportPart, progress_());
          timer_.Start(kProgressDelayMs);
      }) {}

void StatusBar::SetText(int part, std::wstring_view text) {
    const std::wstring terminated(text);
    ::SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(part),
                   reinterpret_cast<LPARAM>(terminated.c_str()));
}

void StatusBar::SetParts(const int* rightEdges, int count) {
    ::SendMessageW(hwnd_, SB_SETPARTS, count, reinterpret_cast<LPARAM>(rightEdges));
}

std::wstring StatusBar::Text(int part) const {
    const auto length = LOWORD(::SendMessageW(hwnd_, SB_GETTEXTLENGTHW, part, 0));
    std::wstring text(length + 1, L'\0');
    ::SendMessageW(hwnd_, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

void StatusBar::BeginProgress(std::function<std::wstring()> text) {
    progress_ = std::move(text);
    shown_ = false;
    timer_.Once(kProgressDelayMs);
}

void StatusBar::EndProgress(std::wstring_view ending) {
    timer_.Stop();
    progress_ = nullptr;
    if (shown_)
        SetText(kReportPart, ending);
    shown_ = false;
}

} // namespace win
