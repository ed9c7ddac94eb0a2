// A second launch with paths hands them to the Tuckbay already running from the same
// executable instead of opening a second window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace app {

// Offers the paths to each running main window until one of this executable takes them, for at
// most timeoutMs in all. True when one took them; false when none did or none answered in
// time, and the caller then opens its own window with the paths.
bool HandOverToRunningProgram(const std::wstring& program, const std::vector<std::wstring>& paths,
                              DWORD timeoutMs = 5000);

// Whether a basket started from program runs in another process.
bool BasketRunningFrom(const std::wstring& program);

} // namespace app
