// What a second launch hands to the running program in WM_COPYDATA: the paths it was started
// with, and the executable it was started from (only a program started from the same
// executable, and so with the same settings file, takes them).
//
// Layout of the data, in UTF-16 code units (little-endian): the sender's full executable path,
// then every path, each followed by a NUL; one more NUL ends the list. No entry is empty, so
// the list is whole exactly when its first empty entry is the last unit of the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace intake {

// COPYDATASTRUCT::dwData of a hand-over: "TBH1" (Tuckbay hand-over, version 1).
inline constexpr std::uint32_t kHandOverId = 0x54424831;
// Larger data is refused unread.
inline constexpr std::size_t kHandOverLimit = 64u * 1024 * 1024;

struct HandOver {
    std::wstring program;
    std::vector<std::wstring> paths;
};

// The bytes for a hand-over. Empty paths are left out (an empty entry ends the list). Each
// wchar_t is written as one code unit: on Windows that is the UTF-16 text itself.
std::vector<unsigned char> EncodeHandOver(const HandOver& handOver);

// The hand-over in data, or nothing when the data is not a whole one: larger than the limit,
// an odd number of bytes, without its closing NUL, with an empty entry before the end, with no
// program or no path.
std::optional<HandOver> DecodeHandOver(const void* data, std::size_t size);

} // namespace intake
