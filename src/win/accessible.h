// What screen readers learn of the program's windows (MSAA, which UI Automation reads too). The
// system's proxies know a standard control by its class and read any other window's text as
// its name; what they cannot know (what a window we draw is, whether it is down, the rows of a
// virtual list) comes from an object of ours that hands every other question to the proxy.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace win {

// What is told of a window or of one of its items. For the window itself, what is left unset
// is the proxy's answer and the state bits are added to the proxy's; an item has no proxy.
struct AccessibleFacts {
    std::optional<std::wstring> name;
    long role = 0;  // ROLE_SYSTEM_*
    long state = 0; // STATE_SYSTEM_*
    std::optional<std::wstring> description;
    std::optional<std::wstring> defaultAction;
};

// Answers for one window. Item 0 is the window itself; 1 to ItemCount() are the parts of it
// that are no windows of their own (a list's rows, a status bar's parts). Asked afresh on
// every question, on the window's thread.
class AccessibleSource {
public:
    virtual ~AccessibleSource() = default;

    virtual AccessibleFacts Describe(long item) = 0;
    virtual long ItemCount() { return 0; }
    // In screen coordinates.
    virtual std::optional<RECT> ItemBounds(long) { return std::nullopt; }
    // The item at a point of the screen, 0 for none.
    virtual long ItemAt(POINT) { return 0; }
    virtual long FocusedItem() { return 0; }
    virtual long SelectedItem() { return 0; }
    // Does the item's default action; false when it has none of ours.
    virtual bool DoDefaultAction(long) { return false; }
};

// A source for a window that tells facts about itself alone.
std::shared_ptr<AccessibleSource> DescribedBy(std::function<AccessibleFacts()> facts,
                                              std::function<void()> defaultAction = nullptr);

// WM_GETOBJECT: the client object is answered with one that asks source while it lives and
// hands everything else to the system's proxy. Nothing for any other object (the default
// handling answers it).
std::optional<LRESULT> AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam,
                                       const std::shared_ptr<AccessibleSource>& source);

// Standard controls where the system's proxies fall short (Wine's give them the role "client"
// and nothing more): a push button or a check box with its tick, and a status bar whose parts
// are read out and their changes announced. Answered through a subclass the control keeps until
// it is destroyed.
void DescribeButton(HWND button);
void DescribeStatusBar(HWND bar);

} // namespace win
