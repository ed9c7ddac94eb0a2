// What the drop target helper (drop_target.exe) and the tests that start it share: its window
// class and the shared memory through which a test tells it what to do and sees what it did.
#pragma once

#include <windows.h>

#include <string>

namespace tuckbay::test {

inline constexpr wchar_t kDropTargetClass[] = L"TuckbayOtherDropTarget";

struct DropTargetState {
    // What a drop does with the files. SilentMove moves them and answers "none" without a word
    // on the data object; RefuseAtDrop takes the drag and answers "none" at the drop.
    enum class Behaviour : LONG {
        Copy,
        Move,
        OptimizedMove,
        ClaimMove,
        Refuse,
        SilentMove,
        RefuseAtDrop
    };

    volatile LONG behaviour; // written by the test
    volatile LONG ready;     // the window is there and registered
    volatile LONG inside;    // the drag is over the window
    volatile LONG overs;     // DragOver calls since it came in
    volatile LONG enters, leaves, drops;
    volatile LONG offered; // the effects offered at the last drop
};

inline std::wstring DropTargetStateName(DWORD pid) {
    return L"TuckbayDropTarget-" + std::to_wstring(pid);
}

} // namespace tuckbay::test
