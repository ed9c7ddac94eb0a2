#include "filelist/line_format.h"

namespace filelist {

template <typename Char>
std::vector<std::basic_string<Char>> SplitLines(std::basic_string_view<Char> text) {
    std::vector<std::basic_string<Char>> lines;
    ForEachLine(text, [&](std::basic_string_view<Char> line) { lines.emplace_back(line); });
    return lines;
}

template <typename Char>
std::basic_string<Char> JoinLines(const std::vector<std::basic_string<Char>>& lines) {
    size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 2;
    std::basic_string<Char> text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += Char('\r');
        text += Char('\n');
    }
    return text;
}

template std::vector<std::string> SplitLines<char>(std::string_view);
template std::vector<std::wstring> SplitLines<wchar_t>(std::wstring_view);
template std::string JoinLines<char>(const std::vector<std::string>&);
template std::wstring JoinLines<wchar_t>(const std::vector<std::wstring>&);

} // namespace filelist
