// Writing the clipboard: the one way every writer of the program opens it and hands it data.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

#include "win/handles.h"

namespace win {

// Throws Error "クリップボードを開くことができません" with the reason when the scope is not open.
void OpenOrThrow(const ClipboardScope& clipboard);

// Hands a copy of size bytes to the open clipboard under format. Throws Error with the
// system's reason when memory or the clipboard refuses.
void PutOnClipboard(UINT format, const void* data, std::size_t size);

// The program's own writes to the clipboard, told apart from everyone else's: the clipboard
// watch passes its own notice of them on along the chain but does not capture them.
class OwnClipboardData {
public:
    // Runs write, which puts the program's own data on the clipboard.
    void Write(const std::function<void()>& write);
    // Whether the clipboard holds what the program wrote last, or is being written by it now:
    // a notice may come during the write or later along the chain, while the clipboard's
    // sequence number still says nobody has written since.
    bool HoldsOwn() const;

private:
    bool writing_ = false;
    DWORD sequence_ = 0;
};

} // namespace win
