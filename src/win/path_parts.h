// The parts of a path as text: its name, its folder, its extension, and a name beside it.
// Backslash and slash both separate; nothing here asks the file system.
#pragma once

#include <string>
#include <string_view>

namespace win {

// The name of the file or folder at path, and the folder it lies in ("C:\a\b.txt": "b.txt"
// and "C:\a"). A folder's path may end in a backslash; a drive root is its own name, and a
// file in a root lies in "C:\", not "C:".
std::wstring_view PathName(std::wstring_view path);
std::wstring_view PathFolder(std::wstring_view path);

// From the last "." to the end, the dot included, when no separator or ":" follows that dot;
// otherwise empty.
std::wstring_view PathExtension(std::wstring_view path);

// The path of name in the folder where path lies: path up to its last separator or drive colon,
// then name ("C:\a\b.exe", "c.ini": "C:\a\c.ini"; "b.exe": "c.ini").
std::wstring Beside(std::wstring_view path, std::wstring_view name);

// A full path (no "." or ".." in it) in the form the file system takes past 260 characters:
// "\\?\C:\a" for "C:\a",
// "\\?\UNC\server\share" for "\\server\share", every "/" a "\". A path already in that form,
// a device's ("\\.\"), and one that is not full stay as they are.
std::wstring LongPathForm(std::wstring_view path);

} // namespace win
