// The list kept from one run to the next: written at exit, read back at the next start.
#pragma once

#include <string>

#include "win/error.h"

namespace filelist {

class FileList;

// A kept list that could not be read at start. Its text says what could not be read and why,
// then where the file is now.
class UnreadKeptList : public win::Error {
public:
    UnreadKeptList(std::wstring text, long code, bool movedAside)
        : win::Error(std::move(text), code), movedAside_(movedAside) {}
    // False when the file could not be moved aside either: it still lies at the kept list's
    // path, and nothing may be written over it in this run.
    bool MovedAside() const noexcept { return movedAside_; }

private:
    bool movedAside_;
};

// tuckbay2.lst for the settings file tuckbay2.ini: the same folder and name, ".lst" in place of
// the settings file's extension.
std::wstring KeptListPath(const std::wstring& settingsPath);

// Appends the kept list's entries as the file holds them, in order, empty ones included and no
// shortcut resolved. No file is an empty list. A file that cannot be read is moved aside, to the
// first free name of path.bad, path.bad2, path.bad3, ..., nothing is appended, and
// UnreadKeptList is thrown.
void RestoreKeptList(const std::wstring& path, FileList& list);

// Deletes the kept list; none there is no error. Throws win::Error naming the path and the reason.
void RemoveKeptList(const std::wstring& path);

} // namespace filelist
