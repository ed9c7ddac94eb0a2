// How the bytes of a list file are turned into text.
#pragma once

#include <algorithm>
#include <string_view>
#include <type_traits>

namespace filelist {

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

enum class ListEncoding {
    Utf8,     // behind the UTF-8 byte-order mark, which is not part of the text
    Ascii,    // reads the same in every code page, so it needs no conversion through the system
    CodePage, // the system code page
};

struct ListBytes {
    ListEncoding encoding;
    std::string_view text; // the bytes that hold the text: all of them but a byte-order mark
};

// ASCII is the same in every code page, and most paths are nothing else: such text needs no
// conversion through the system, which costs more than reading or writing it.
template <typename Char> bool IsAscii(std::basic_string_view<Char> text) {
    return std::all_of(text.begin(), text.end(),
                       [](Char c) { return static_cast<std::make_unsigned_t<Char>>(c) < 0x80; });
}

ListBytes ClassifyListBytes(std::string_view bytes);

} // namespace filelist
