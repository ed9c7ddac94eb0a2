#include "filelist/name_matcher.h"

#include <windows.h>

#include <utility>

namespace filelist {
namespace {

// Nothing below this has a wide or narrow twin.
constexpr wchar_t kFirstTwin = L'\x2000';

// Narrow characters where the text has wide ones (a narrow katakana may take two characters).
void FoldWidth(std::wstring_view text, std::wstring& folded) {
    folded.resize(text.size() * 2 + 1);
    const int length = ::LCMapStringW(LOCALE_INVARIANT, LCMAP_HALFWIDTH, text.data(),
                                      static_cast<int>(text.size()), folded.data(),
                                      static_cast<int>(folded.size()));
    if (length > 0)
        folded.resize(static_cast<size_t>(length));
    else
        folded.assign(text);
}

std::wstring Upper(std::wstring text) {
    ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Every character that folding changes, with its narrow form in upper case; asked of the system
// once, a few hundred of them.
const std::vector<std::pair<wchar_t, std::wstring>>& WidthTwins() {
    static const std::vector<std::pair<wchar_t, std::wstring>> twins = [] {
        std::vector<std::pair<wchar_t, std::wstring>> found;
        std::wstring folded;
        for (unsigned code = kFirstTwin; code <= 0xFFFF; ++code) {
            const wchar_t c = static_cast<wchar_t>(code);
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            FoldWidth({&c, 1}, folded);
            if (folded.size() != 1 || folded[0] != c)
                found.emplace_back(c, Upper(folded));
        }
        return found;
    }();
    return twins;
}

} // namespace

std::wstring SystemNameMatcher::PrepareWord(std::wstring_view word) {
    std::wstring folded;
    FoldWidth(word, folded);
    return folded;
}

void SystemNameMatcher::LearnWords(const std::vector<std::wstring>& words) {
    learnedWords_ = words;
    std::wstring letters;
    for (const std::wstring& word : words)
        letters += Upper(word);
    foldMatters_.assign(0x10000, false);
    for (const auto& [c, narrow] : WidthTwins())
        foldMatters_[c] = narrow.find_first_of(letters) != std::wstring::npos;
}

bool SystemNameMatcher::ContainsAll(std::wstring_view text,
                                    const std::vector<std::wstring>& words) {
    if (words != learnedWords_)
        LearnWords(words);
    for (wchar_t c : text) {
        if (c >= kFirstTwin && foldMatters_[c]) {
            FoldWidth(text, folded_);
            text = folded_;
            break;
        }
    }
    for (const std::wstring& word : words) {
        if (::FindStringOrdinal(FIND_FROMSTART, text.data(), static_cast<int>(text.size()),
                                word.data(), static_cast<int>(word.size()), TRUE) < 0)
            return false;
    }
    return true;
}

} // namespace filelist
