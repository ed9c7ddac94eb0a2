// The extension rule of dropped paths.
#pragma once

#include <string_view>

namespace intake {

// From the last "." to the end, the dot included, when no "\" or ":" follows that dot; otherwise
// empty. Compared case-sensitively: only ".lnk" and ".lst" in lower case count.
std::wstring_view PathExtension(std::wstring_view path);

inline bool IsShortcutPath(std::wstring_view path) { return PathExtension(path) == L".lnk"; }
inline bool IsListFilePath(std::wstring_view path) { return PathExtension(path) == L".lst"; }

} // namespace intake
