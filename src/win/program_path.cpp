#include "win/program_path.h"

#include "win/error.h"
#include "win/path_parts.h"

#include <windows.h>

namespace win {

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            throw Error(SystemMessageText(GetLastError()), static_cast<long>(GetLastError()));
        // A path that fills the buffer may have been cut.
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring BesideProgram(const std::wstring& exePath, const std::wstring& name) {
    return Beside(exePath, name);
}

std::wstring BesideProgram(const std::wstring& name) { return BesideProgram(ProgramPath(), name); }

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

} // namespace win
