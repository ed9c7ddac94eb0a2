// Driving the helper clipboard_writer from the Windows tests: it writes the clipboard from
// another process, as the shell does, or holds it open.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/handles.h"

namespace tuckbay::test {

// Runs the helper with mode "copy", "cut" or "copy-ansi" and the paths, pumping this thread's
// messages meanwhile (its clipboard notices are messages to us). Returns its exit code;
// STILL_ACTIVE when it did not end in time, ~0u when it could not be started.
DWORD PutFilesFromHelper(const std::wstring& mode, const std::vector<std::wstring>& paths);

// Puts text on the clipboard from this process.
void PutText(HWND owner, const std::wstring& text);

// The clipboard held open by the helper, with a window, for the life of the object.
class HeldClipboard {
public:
    HeldClipboard();
    ~HeldClipboard();
    HeldClipboard(const HeldClipboard&) = delete;
    HeldClipboard& operator=(const HeldClipboard&) = delete;

    bool Held() const noexcept { return held_; }

private:
    win::KernelHandle ready_, release_, helper_;
    bool held_ = false;
};

} // namespace tuckbay::test
