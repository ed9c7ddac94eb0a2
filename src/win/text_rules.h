// Text rules of the error reporting that need no platform: kept apart so they run in host tests.
#pragma once

#include <string>
#include <string_view>

namespace win {

// A system message as the program shows it: trailing control characters, blanks and full
// stops removed ("Access is denied.\r\n" -> "Access is denied").
std::wstring TrimMessageText(std::wstring_view text);

// The standard error box adds a full stop when the text's last character sorts after ".".
std::wstring WithClosingPeriod(std::wstring_view text);

// "OLE エラー %.8X": the text for a result code the system has no message for.
std::wstring OleErrorFallback(unsigned long code);

} // namespace win
