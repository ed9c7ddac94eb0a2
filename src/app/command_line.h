// The paths a user starts the program with: "tuckbay.exe PATH...", from a shell, a script or
// the Send To menu.
#pragma once

#include <string>
#include <vector>

namespace app {

// The arguments after the program's own name, in order, each made absolute against the
// current folder (a full path stays exactly as given). Empty arguments are left out.
std::vector<std::wstring> PathsFromCommandLine(const wchar_t* commandLine);

// The one argument the program asks Windows to start it with again after a restart for an
// update: the basket comes back with its kept list and nothing else.
inline constexpr wchar_t kRestartArgument[] = L"/restart";

// Whether the command line is that of a restart by Windows.
bool IsRestartByWindows(const wchar_t* commandLine);

} // namespace app
