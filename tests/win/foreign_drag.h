// A drag from another process: the helper drag_source offers what a script says, and the
// driver thread presses on its window, carries the drag to a point of ours and lets go there.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "drag_kit.h"
#include "program_copy.h"

namespace tuckbay::test {

class ForeignDrag {
public:
    // The helper started with the script's lines (see tests/win/helpers/drag_source.cpp), its
    // window at the screen's top-left corner; empty when it did not become ready.
    std::string Start(const std::vector<std::wstring>& script);

    // Presses on the helper's window, moves to target, waits until the target has answered
    // expectFeedback there a few times, then lets go (or presses Esc when cancel). Empty, or
    // the failure; the helper's title says then how the drag ended ("dropped HR EFFECT", or for
    // a source read after its drag, later "ended HR EFFECT").
    // afterDrop runs on the driver thread once the button is up, before the drop is known to
    // have ended (to press Esc while it is read).
    std::string DragTo(POINT target, const Pump& pump, DWORD expectFeedback = DROPEFFECT_COPY,
                       bool cancel = false,
                       const std::function<void(InputDriver&)>& afterDrop = nullptr);

    std::wstring Title() const;
    // Waits (pumping) until the helper's title begins with prefix.
    bool WaitForTitle(const std::wstring& prefix, const Pump& pump, DWORD timeoutMs = 20000) const;

    ~ForeignDrag() { process_.End(); }

private:
    std::wstring scriptPath_;
    ProgramProcess process_;
    HWND window_ = nullptr;
};

} // namespace tuckbay::test
