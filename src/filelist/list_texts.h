// The texts of a list taken at one moment, owned: every entry's characters one after another
// and where each ends. A copy for work off the window's thread (saving, sorting), made with one
// pass over the list and no allocation per entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace filelist {

struct ListTexts {
    std::wstring chars;
    // ends[i]: one past entry i's last character in chars.
    std::vector<size_t> ends;

    size_t Count() const noexcept { return ends.size(); }
    std::wstring_view operator[](size_t i) const noexcept {
        const size_t begin = i == 0 ? 0 : ends[i - 1];
        return std::wstring_view(chars).substr(begin, ends[i] - begin);
    }
    void Append(std::wstring_view text) {
        chars.append(text);
        ends.push_back(chars.size());
    }
};

} // namespace filelist
