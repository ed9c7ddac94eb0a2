// The settings file's value texts: how an integer or a flag is read and written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace settings {

// A signed 32-bit integer: leading spaces, at most one sign, then decimal digits within range
// or hexadecimal digits after "$", "x", "X", "0x" or "0X" that fit in 32 bits (a two's-complement
// bit pattern). The digits must run to the end of the text; anything else is no number.
std::optional<int32_t> ParseIniInteger(std::wstring_view text);

int32_t ReadIniInteger(std::wstring_view text, int32_t fallback);
// Any number but 0 is true; a text that is no number gives the fallback.
bool ReadIniFlag(std::wstring_view text, bool fallback);

// Plain decimal, "-" for negative values, no leading zeros.
std::wstring FormatIniInteger(int32_t value);
inline std::wstring FormatIniFlag(bool value) { return value ? L"1" : L"0"; }

} // namespace settings
