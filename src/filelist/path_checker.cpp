#include "filelist/path_checker.h"

#include <windows.h>

namespace filelist {

PathState PathExists(const std::wstring& path) {
    if (path.empty())
        return {};
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return {true, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
    DWORD code = ::GetLastError();
    return {code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION, false};
}

} // namespace filelist
