#include "foreign_drag.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "pump.h"
#include "win/codepage.h"

namespace tuckbay::test {
namespace {

constexpr POINT kSourceAt{4, 4};

// What the helper's title says of its drag: "feedback EFFECT COUNT X Y" once the target has
// answered, "feedback - 0" as the drag starts; no count (-1) before.
struct Feedback {
    unsigned long effect = ~0ul;
    int count = -1;
    POINT at{-100000, -100000}; // where the drag loop last saw the pointer
};

Feedback ReadFeedback(const std::wstring& title) {
    Feedback f;
    wchar_t dash = 0;
    if (std::swscanf(title.c_str(), L"feedback %lu %d %ld %ld", &f.effect, &f.count, &f.at.x,
                     &f.at.y) < 2 &&
        std::swscanf(title.c_str(), L"feedback %lc %d", &dash, &f.count) < 2)
        f.count = -1;
    return f;
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
            if (!d.LeftDownUntil("the drag's start",
                                 [&] { return ReadFeedback(Title()).count >= 0; }))
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
                    if (const POINT seen = ReadFeedback(Title()).at; again > 0)
                        std::fprintf(stderr,
                                     "the drag loop last saw the pointer at %ld,%ld, not on the "
                                     "target: aside and back (%d)\n",
                                     seen.x, seen.y, again);
                    d.MoveTo(aside, "the pointer beside the target");
                    d.MoveTo(target, "the pointer back on the target");
                }
                const int arrived = ReadFeedback(Title()).count;
                looked = d.Poll(
                    [&] {
                        const Feedback seen = ReadFeedback(Title());
                        return seen.count >= arrived + 3 && seen.at.x == target.x &&
                               seen.at.y == target.y;
                    },
                    std::chrono::milliseconds(1500));
            }
            if (!looked) {
                d.failure = "the drag loop never saw the pointer on the target";
                return;
            }
            if (const unsigned long answered = ReadFeedback(Title()).effect;
                answered != expectFeedback) {
                d.failure = "the target answered " + std::to_string(answered) + ", not " +
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
