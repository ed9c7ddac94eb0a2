// Files that live beside the program's executable.
#pragma once

#include <string>

namespace win {

// The executable's full path, however long.
std::wstring ProgramPath();

// name in the folder of the executable at exePath.
std::wstring BesideProgram(const std::wstring& exePath, const std::wstring& name);
// name in the folder of this program's executable.
std::wstring BesideProgram(const std::wstring& name);

// Whether two paths name the same file as the file system compares names: ignoring case.
bool SamePath(const std::wstring& a, const std::wstring& b);

} // namespace win
