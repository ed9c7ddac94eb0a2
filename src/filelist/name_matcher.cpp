#include "filelist/name_matcher.h"

#include <windows.h>

#include <algorithm>

namespace filelist {
namespace {

// Below the ideographic space nothing has a wide or narrow twin, so most paths need no folding.
bool MayHaveWidth(std::wstring_view text) {
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'\x3000'; });
}

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

} // namespace

std::wstring SystemNameMatcher::PrepareWord(std::wstring_view word) {
    std::wstring folded;
    FoldWidth(word, folded);
    return folded;
}

bool SystemNameMatcher::ContainsAll(std::wstring_view text,
                                    const std::vector<std::wstring>& words) {
    if (MayHaveWidth(text)) {
        FoldWidth(text, folded_);
        text = folded_;
    }
    for (const std::wstring& word : words) {
        if (::FindStringOrdinal(FIND_FROMSTART, text.data(), static_cast<int>(text.size()),
                                word.data(), static_cast<int>(word.size()), TRUE) < 0)
            return false;
    }
    return true;
}

} // namespace filelist
