// File names compared as the system compares them: a word is found in a path ignoring case
// (FindStringOrdinal) and width (both folded to narrow characters first).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "filelist/list_filter.h"

namespace filelist {

class SystemNameMatcher : public NameMatcher {
public:
    std::wstring PrepareWord(std::wstring_view word) override;
    bool ContainsAll(std::wstring_view text, const std::vector<std::wstring>& words) override;

private:
    // Marks the characters whose narrow form shares a character with one of words: only a text
    // with one of those can match differently once folded, so only such a text is folded.
    void LearnWords(const std::vector<std::wstring>& words);

    std::vector<std::wstring> learnedWords_;
    std::vector<bool> foldMatters_;
    std::wstring folded_;
};

} // namespace filelist
