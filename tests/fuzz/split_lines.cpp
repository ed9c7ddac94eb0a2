// Cutting a list file's or clipboard text's characters into lines.
#include "check.h"
#include "filelist/line_format.h"

namespace {

using filelist::JoinLines;
using filelist::SplitLines;

template <typename Char> bool HoldsBreakOrNul(const std::basic_string<Char>& line) {
    for (Char c : line) {
        if (c == Char('\r') || c == Char('\n') || c == Char('\0'))
            return true;
    }
    return false;
}

// What JoinLines(SplitLines(text)) must give, worked out another way: the text up to its first
// NUL with every CR LF, lone CR and lone LF made one CR LF, and a CR LF added after a last line
// that lacks one.
template <typename Char> std::basic_string<Char> NormalisedText(std::basic_string_view<Char> text) {
    std::basic_string<Char> out;
    bool open = false; // a line has begun that no break has ended yet
    for (size_t i = 0; i < text.size() && text[i] != Char('\0'); ++i) {
        Char c = text[i];
        if (c == Char('\r') || c == Char('\n')) {
            if (c == Char('\r') && i + 1 < text.size() && text[i + 1] == Char('\n'))
                ++i;
            out += Char('\r');
            out += Char('\n');
            open = false;
        } else {
            out += c;
            open = true;
        }
    }
    if (open) {
        out += Char('\r');
        out += Char('\n');
    }
    return out;
}

template <typename Char> void CheckSplit(std::basic_string_view<Char> text) {
    const std::vector<std::basic_string<Char>> lines = SplitLines<Char>(text);
    for (const auto& line : lines)
        FUZZ_CHECK(!HoldsBreakOrNul(line));
    const std::basic_string<Char> joined = JoinLines(lines);
    FUZZ_CHECK(joined == NormalisedText(text));
    FUZZ_CHECK(SplitLines<Char>(joined) == lines);
}

// Lines made up by the fuzzer (cut at "|") come back from a round trip exactly when none of them
// holds a break or a NUL.
template <typename Char> void CheckRoundTrip(std::basic_string_view<Char> text) {
    std::vector<std::basic_string<Char>> lines;
    bool clean = true;
    size_t start = 0;
    for (;;) {
        size_t bar = text.find(Char('|'), start);
        lines.emplace_back(text.substr(start, bar == text.npos ? text.npos : bar - start));
        clean = clean && !HoldsBreakOrNul(lines.back());
        if (bar == text.npos)
            break;
        start = bar + 1;
    }
    if (clean)
        FUZZ_CHECK(SplitLines<Char>(JoinLines(lines)) == lines);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckSplit<char>(bytes);
    CheckRoundTrip<char>(bytes);
    const std::wstring units = fuzz::Utf16Units(data, size);
    CheckSplit<wchar_t>(units);
    CheckRoundTrip<wchar_t>(units);
    return 0;
}
