// The line format shared by list files and clipboard text: one entry per line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace filelist {

// Cuts text into lines at CR LF, a lone CR or a lone LF; stops at the first NUL. A break at the
// very end adds no empty line, but every break before it ends one line, empty or not. Each line
// is handed to each as a view into text, in order.
template <typename Char, typename Each>
void ForEachLine(std::basic_string_view<Char> text, Each each) {
    const Char cr = Char('\r'), lf = Char('\n'), nul = Char('\0');
    size_t pos = 0;
    const size_t end = text.size();
    while (pos < end && text[pos] != nul) {
        size_t stop = pos;
        while (stop < end && text[stop] != cr && text[stop] != lf && text[stop] != nul)
            ++stop;
        each(text.substr(pos, stop - pos));
        pos = stop;
        if (pos < end && text[pos] == cr)
            ++pos;
        if (pos < end && text[pos] == lf)
            ++pos;
    }
}

// The same lines, each a string of its own.
template <typename Char>
std::vector<std::basic_string<Char>> SplitLines(std::basic_string_view<Char> text);

// Every line followed by CR LF, the last one included.
template <typename Char>
std::basic_string<Char> JoinLines(const std::vector<std::basic_string<Char>>& lines);

inline std::vector<std::wstring> SplitLines(std::wstring_view text) {
    return SplitLines<wchar_t>(text);
}
inline std::vector<std::string> SplitLines(std::string_view text) { return SplitLines<char>(text); }

} // namespace filelist
