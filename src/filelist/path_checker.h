// How the file system is asked whether a listed path still exists, and whether it is a folder.
#pragma once

#include <string>

#include "filelist/file_facts.h"

namespace filelist {

// A path the system refuses to look at (access denied) counts as there, not known to be a folder;
// an empty one, or one that cannot be reached, as missing.
PathState PathExists(const std::wstring& path);

} // namespace filelist
