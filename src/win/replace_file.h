// Files replaced whole: the new contents go to a file beside the old one, which is flushed and
// then moved over it, so that a kill or a power cut leaves the old file or the new one, never a
// part of either. A file beside is named ~tuckbay<process id>-<serial>.tmp, so that one left
// behind by a killed write is known by its name alone.
#pragma once

#include <windows.h>

#include <string>

#include "win/handles.h"

namespace win {

// A new, empty file in target's folder with a name no other file has, open for writing and
// shared with nobody. A null handle, with the last error set, when none could be made.
FileHandle CreateBeside(const std::wstring& target, std::wstring& besidePath);

// The file beside, already flushed and closed, moved over target (which may not exist yet); tried
// again for about half a second while another program holds the target open. False, with the
// last error set, when the move failed; target is then as it was.
bool MoveOver(const std::wstring& besidePath, const std::wstring& target);

// The file beside, already flushed and closed, moved to target only if nothing is there: a file
// that must not replace another. False, with the last error set (ERROR_ALREADY_EXISTS or
// ERROR_FILE_EXISTS when target was taken), when the move failed.
bool MoveWithoutReplacing(const std::wstring& besidePath, const std::wstring& target);

// Removes the files beside that writes of processes which have ended left in folder. Those of
// running processes are theirs and stay.
void RemoveLeftovers(const std::wstring& folder);

} // namespace win
