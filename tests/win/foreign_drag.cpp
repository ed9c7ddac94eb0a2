#include "foreign_drag.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "pump.h"
#include "win/codepage.h"

namespace tuckbay::test {
namespace {

constexpr POINT kSourceAt{4, 4};

int FeedbackCount(const std::wstring& title) {
    int count = 0;
    unsigned long effect = 0;
    wchar_t dash = 0;
    if (std::swscanf(title.c_str(), L"feedback %lu %d", &effect, &count) == 2 ||
        std::swscanf(title.c_str(), L"feedback %lc %d", &dash, &count) == 2)
        return count;
    return -1;
}

} // namespace

std::string ForeignDrag::Start(const std::vector<std::wstring>& script) {
    wchar_t folder[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, folder);
    specPath_ = std::wstring(folder) + L"tuckbay_drag_" + std::to_wstring(::GetCurrentProcessId()) +
                L".script";
    std::wstring text = L"\xFEFF";
    for (const std::wstring& line : script)
        text += line + L"\r\n";
    std::ofstream(std::filesystem::path(specPath_), std::ios::binary)
        .write(reinterpret_cast<const char*>(text.data()), std::streamsize(text.size() * 2));
    if (!process_.Launch(HelperPath(L"drag_source"),
                         QuoteArgument(specPath_) + L" " + std::to_wstring(kSourceAt.x) + L" " +
                             std::to_wstring(kSourceAt.y),
                         CurrentFolder()))
        return "the helper drag_source did not start";
    PumpUntil(
        [&] {
            window_ = FindProcessWindow(process_.Id(), L"TuckbayDragSource");
            return window_ && Title() == L"ready";
        },
        std::chrono::seconds(20));
    return window_ && Title() == L"ready" ? "" : "the helper drag_source never became ready";
}

std::wstring ForeignDrag::Title() const {
    wchar_t text[128] = {};
    ::GetWindowTextW(window_, text, 128);
    return text;
}

DWORD ForeignDrag::LastFeedback() const {
    unsigned long effect = ~0ul;
    int count = 0;
    std::swscanf(Title().c_str(), L"feedback %lu %d", &effect, &count);
    return effect;
}

bool ForeignDrag::WaitForTitle(const std::wstring& prefix, const Pump& pump,
                               DWORD timeoutMs) const {
    auto done = [&] { return Title().rfind(prefix, 0) == 0; };
    if (pump)
        return pump(done, std::chrono::milliseconds(timeoutMs));
    return PumpUntil(done, std::chrono::milliseconds(timeoutMs));
}

std::string ForeignDrag::DragTo(POINT target, const Pump& pump, DWORD expectFeedback, bool cancel,
                                const std::function<void(InputDriver&)>& afterDrop) {
    const POINT source{kSourceAt.x + 40, kSourceAt.y + 40};
    auto pointerAt = [](POINT p) {
        return [p] {
            POINT now{};
            ::GetCursorPos(&now);
            return now.x == p.x && now.y == p.y;
        };
    };
    std::string failure = DriveInput(
        [&](InputDriver& d) {
            if (!d.MoveTo(source, "the pointer on the drag source", pointerAt(source)))
                return;
            if (!d.LeftDownUntil("the drag's start", [&] { return FeedbackCount(Title()) >= 0; }))
                return;
            int arrived = -1;
            if (!d.MoveTo(target, "the pointer on the target", [&] {
                    arrived = FeedbackCount(Title());
                    return pointerAt(target)();
                }))
                return;
            // The drag loop may have taken an echo of an earlier position for the last one: a
            // move away by a pixel and back shows it the target again, until the target's
            // answer is the one expected (and for "none", answered a few times after moves).
            const POINT aside{target.x + 1, target.y + 1};
            bool answered = false;
            for (int attempt = 0; attempt < 6 && !answered; ++attempt) {
                if (attempt > 0 || expectFeedback == DROPEFFECT_NONE) {
                    d.MoveTo(aside, "the pointer beside the target", pointerAt(aside));
                    d.MoveTo(target, "the pointer back on the target", pointerAt(target));
                    arrived = FeedbackCount(Title());
                }
                answered = d.Poll(
                    [&] {
                        return FeedbackCount(Title()) >= arrived + 3 &&
                               LastFeedback() == expectFeedback;
                    },
                    std::chrono::milliseconds(1500));
            }
            if (!answered) {
                d.failure = "the target never answered as expected";
                return;
            }
            if (cancel)
                d.Key(VK_ESCAPE);
            else
                d.LeftUp();
            if (afterDrop)
                afterDrop(d);
            // A source read after its drag may have been told how it ended already.
            d.WaitFor(
                "the drag's end",
                [&] {
                    const std::wstring title = Title();
                    return title.rfind(L"dropped", 0) == 0 || title.rfind(L"ended", 0) == 0;
                },
                std::chrono::seconds(60));
        },
        pump);
    if (!failure.empty())
        return failure + " (the source says: " + win::ToUtf8(Title()) + ")";
    return "";
}

} // namespace tuckbay::test
