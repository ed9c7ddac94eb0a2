// The list kept from one run to the next: written at exit, read back at the next start.
#pragma once

#include <string>

namespace filelist {

class FileList;

// tuckbay2.lst for the settings file tuckbay2.ini: the same folder and name, ".lst" in place of
// the settings file's extension.
std::wstring KeptListPath(const std::wstring& settingsPath);

// Appends the kept list's entries as the file holds them, in order, empty ones included and no
// shortcut resolved. No file is an empty list; one that cannot be read throws win::Error with the
// list file reader's text, and nothing is appended.
void RestoreKeptList(const std::wstring& path, FileList& list);

// keep: the list written to path with the list file writer; otherwise the file at path deleted.
// Throws win::Error naming the path and the reason when either fails.
void StoreKeptList(const std::wstring& path, const FileList& list, bool keep);

} // namespace filelist
