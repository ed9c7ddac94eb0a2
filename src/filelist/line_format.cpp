#include "filelist/line_format.h"

namespace filelist {

template <typename Char>
std::vector<std::basic_string<Char>> SplitLines(std::basic_string_view<Char> text) {
    const Char cr = Char('\r'), lf = Char('\n'), nul = Char('\0');
    std::vector<std::basic_string<Char>> lines;
    size_t pos = 0;
    const size_t end = text.size();
    while (pos < end && text[pos] != nul) {
        size_t stop = pos;
        while (stop < end && text[stop] != cr && text[stop] != lf && text[stop] != nul)
            ++stop;
        lines.emplace_back(text.substr(pos, stop - pos));
        pos = stop;
        if (pos < end && text[pos] == cr)
            ++pos;
        if (pos < end && text[pos] == lf)
            ++pos;
    }
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
