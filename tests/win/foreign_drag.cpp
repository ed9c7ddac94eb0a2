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
    scriptPath_ = std::wstring(folder) + L"tuckbay_drag_" +
                  std::to_wstring(::GetCurrentProcessId()) + L".script";
    std::wstring text = L"\xFEFF";
    for (const std::wstring& line : script)
        text += line + L"\r\n";
    std::ofstream(std::filesystem::path(scriptPath_), std::ios::binary)
        .write(reinterpret_cast<const char*>(text.data()), std::streamsize(text.size() * 2));
    if (!process_.Launch(HelperPath(L"drag_source"),
                         QuoteArgument(scriptPath_) + L" " + std::to_wstring(kSourceAt.x) + L" " +
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

POINT ForeignDrag::LoopPoint() const {
    unsigned long effect = 0;
    int count = 0;
    POINT at{-100000, -100000};
    std::swscanf(Title().c_str(), L"feedback %lu %d %ld %ld", &effect, &count, &at.x, &at.y);
    return at;
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
    std::string failure = DriveInput(
        [&](InputDriver& d) {
            if (!d.MoveTo(source, "the pointer on the drag source"))
                return;
            if (!d.LeftDownUntil("the drag's start", [&] { return FeedbackCount(Title()) >= 0; }))
                return;
            if (!d.MoveTo(target, "the pointer on the target"))
                return;
            // The drag loop looks at the pointer when a message comes, and may have taken an
            // echo of an earlier position for the last one. Only then is the pointer moved aside
            // by a pixel and back: the target's answer, once the loop has seen the pointer on it,
            // is what is tested, never a reason to try again.
            const POINT aside{target.x + 1, target.y + 1};
            bool looked = false;
            for (int again = 0; again < 6 && !looked; ++again) {
                if (again > 0 || expectFeedback == DROPEFFECT_NONE) {
                    if (again > 0)
                        std::fprintf(stderr,
                                     "the drag loop last saw the pointer at %ld,%ld, not on the "
                                     "target: aside and back (%d)\n",
                                     LoopPoint().x, LoopPoint().y, again);
                    d.MoveTo(aside, "the pointer beside the target");
                    d.MoveTo(target, "the pointer back on the target");
                }
                const int arrived = FeedbackCount(Title());
                looked = d.Poll(
                    [&] {
                        const POINT seen = LoopPoint();
                        return FeedbackCount(Title()) >= arrived + 3 && seen.x == target.x &&
                               seen.y == target.y;
                    },
                    std::chrono::milliseconds(1500));
            }
            if (!looked) {
                d.failure = "the drag loop never saw the pointer on the target";
                return;
            }
            if (LastFeedback() != expectFeedback) {
                d.failure = "the target answered " + std::to_string(LastFeedback()) + ", not " +
                            std::to_string(expectFeedback);
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
