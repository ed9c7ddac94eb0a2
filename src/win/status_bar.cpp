#include "win/status_bar.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

namespace win {
namespace {
// Before this, a long piece of work says nothing; after it, every so often how far it has come.
constexpr ULONGLONG kProgressDelayMs = 200;
} // namespace

ProgressText::ProgressText(ProgressText&& other) noexcept
    : bar_(std::exchange(other.bar_, nullptr)), id_(std::exchange(other.id_, 0)) {}

ProgressText& ProgressText::operator=(ProgressText&& other) noexcept {
    if (this != &other) {
        End();
        bar_ = std::exchange(other.bar_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void ProgressText::End(std::wstring_view ending) {
    if (StatusBar* bar = std::exchange(bar_, nullptr))
        bar->EndProgress(std::exchange(id_, 0), ending);
}

StatusBar::StatusBar(HWND hwnd) : hwnd_(hwnd), timer_([this] { Tick(); }) {}

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

ProgressText StatusBar::BeginProgress(std::function<std::wstring()> text) {
    work_.push_back({++lastId_, std::move(text), ::GetTickCount64()});
    // A tick already set comes sooner than this work's 200 ms, and sets the next one.
    if (!timer_.Running())
        timer_.Once(static_cast<UINT>(kProgressDelayMs));
    return ProgressText(this, lastId_);
}

void StatusBar::EndProgress(uint64_t id, std::wstring_view ending) {
    std::erase_if(work_, [id](const Work& work) { return work.id == id; });
    if (work_.empty())
        timer_.Stop();
    if (shownId_ != id)
        return;
    shownId_ = 0;
    if (!ShowDueProgress(::GetTickCount64()))
        SetText(kReportPart, ending);
}

void StatusBar::Tick() {
    const ULONGLONG now = ::GetTickCount64();
    ShowDueProgress(now);
    // Again when the oldest work not shown yet has run 200 ms, and every 200 ms in any case.
    ULONGLONG next = kProgressDelayMs;
    for (const Work& work : work_) {
        if (now - work.begun < kProgressDelayMs) {
            next = kProgressDelayMs - (now - work.begun);
            break;
        }
    }
    if (!work_.empty())
        timer_.Once(static_cast<UINT>(next));
}

bool StatusBar::ShowDueProgress(ULONGLONG now) {
    const auto due = std::find_if(work_.rbegin(), work_.rend(), [now](const Work& work) {
        return now - work.begun >= kProgressDelayMs;
    });
    if (due == work_.rend())
        return false;
    shownId_ = due->id;
    SetText(kReportPart, due->text());
    return true;
}

} // namespace win
