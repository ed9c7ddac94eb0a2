// The extension rule of dropped paths.
#pragma once

#include <string_view>

#include "win/path_parts.h"

namespace intake {

// Compared case-sensitively: only ".lnk" and ".lst" in lower case count.
inline bool IsShortcutPath(std::wstring_view path) { return win::PathExtension(path) == L".lnk"; }
inline bool IsListFilePath(std::wstring_view path) { return win::PathExtension(path) == L".lst"; }

} // namespace intake
