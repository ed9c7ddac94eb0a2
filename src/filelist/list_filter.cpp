#include "filelist/list_filter.h"

#include <algorithm>
#include <utility>

namespace filelist {

std::vector<std::wstring> FilterWords(std::wstring_view text) {
    std::vector<std::wstring> words;
    size_t begin = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == L' ' || text[i] == L'\x3000') {
            if (i > begin)
                words.emplace_back(text.substr(begin, i - begin));
            begin = i + 1;
        }
    }
    return words;
}

std::optional<std::vector<uint32_t>> MatchEntries(const FrozenList& frozen,
                                                  const std::vector<std::wstring>& words,
                                                  NameMatcher& matcher,
                                                  const win::Progress& progress) {
    std::vector<uint32_t> shown;
    const size_t count = frozen.Count();
    for (size_t i = 0; i < count; ++i) {
        // Looked at now and then: a newer text makes this one's result worthless.
        if ((i & 0x3FFF) == 0 && progress.Cancelled())
            return std::nullopt;
        if (matcher.ContainsAll(frozen.Text(i), words))
            shown.push_back(static_cast<uint32_t>(i));
    }
    return shown;
}

std::optional<size_t> ShownRows::RowOf(size_t entry) const noexcept {
    if (!on_)
        return entry;
    auto at = std::lower_bound(rows_.begin(), rows_.end(), entry);
    if (at == rows_.end() || *at != entry)
        return std::nullopt;
    return static_cast<size_t>(at - rows_.begin());
}

void ShownRows::ShowOnly(ListModel& model, std::vector<uint32_t> shown) {
    size_t next = 0;
    for (size_t i = 0; i < model.Count(); ++i) {
        const bool show = next < shown.size() && shown[next] == i;
        next += show;
        model.SetHidden(i, !show);
    }
    rows_ = std::move(shown);
    on_ = true;
}

void ShownRows::ShowAll(ListModel& model) {
    for (size_t i = 0; i < model.Count(); ++i)
        model.SetHidden(i, false);
    rows_ = {};
    on_ = false;
}

void ShownRows::Rebuild(const ListModel& model) {
    if (!on_)
        return;
    rows_.clear();
    for (size_t i = 0; i < model.Count(); ++i) {
        if (!model.IsHidden(i))
            rows_.push_back(static_cast<uint32_t>(i));
    }
}

void ShownRows::Appended(ListModel& model, bool matched) {
    const size_t entry = model.Count() - 1;
    model.SetHidden(entry, !matched);
    if (matched)
        rows_.push_back(static_cast<uint32_t>(entry));
}

} // namespace filelist
