// The target stored in a shortcut (.lnk) file, read through the shell link object.
#pragma once

#include <windows.h>

#include <string>

namespace intake {

// The raw target path stored in the shortcut, environment references unexpanded and the target not
// looked for. Empty when the file cannot be read as a shortcut or its target has no file-system
// path. Throws win::Error when the shell link object cannot be created.
std::wstring ResolveShortcut(const std::wstring& path);

// The same with a link object created by the caller (any object; it is asked for the interfaces it
// needs).
std::wstring ResolveShortcutWith(IUnknown* linkObject, const std::wstring& path);

} // namespace intake
