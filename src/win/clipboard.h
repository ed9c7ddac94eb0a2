// Writing the clipboard: the one way every writer of the program opens it and hands it data.
#pragma once

#include <windows.h>

#include <cstddef>

#include "win/handles.h"

namespace win {

// Throws Error "クリップボードを開くことができません" with the reason when the scope is not open.
void OpenOrThrow(const ClipboardScope& clipboard);

// Hands a copy of size bytes to the open clipboard under format. Throws Error with the
// system's reason when memory or the clipboard refuses.
void PutOnClipboard(UINT format, const void* data, std::size_t size);

} // namespace win
