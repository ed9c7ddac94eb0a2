// The filter over the list: the words of a text, an entry shown when its path contains every one
// of them, and the rows of the entries shown. Portable: how names compare (case, width) is the
// system's business, handed in as a NameMatcher.
//
// The entries the filter hides carry a mark in the model, so that they stay hidden through a
// sort, an append or a removal without being matched again; the rows are made from those marks,
// 4 bytes a shown entry, and only while a filter is on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "filelist/list_model.h"
#include "win/job.h"

namespace filelist {

// How the system compares file names: ignoring case and width.
class NameMatcher {
public:
    virtual ~NameMatcher() = default;
    // A word made ready for ContainsAll.
    virtual std::wstring PrepareWord(std::wstring_view word) = 0;
    // Whether text contains every prepared word. Not shared between threads: it may keep room
    // for its work.
    virtual bool ContainsAll(std::wstring_view text, const std::vector<std::wstring>& words) = 0;
};

// The words of a filter text, split at spaces (a full-width space is a space too).
std::vector<std::wstring> FilterWords(std::wstring_view text);

// The entries of frozen that contain every word, in list order; stops early (returning nothing)
// once cancelled.
std::optional<std::vector<uint32_t>> MatchEntries(const FrozenList& frozen,
                                                  const std::vector<std::wstring>& words,
                                                  NameMatcher& matcher,
                                                  const win::Progress& progress);

// Which rows show which entries. With no filter on, row i is entry i.
class ShownRows {
public:
    bool On() const noexcept { return on_; }
    size_t Count(const ListModel& model) const noexcept {
        return on_ ? rows_.size() : model.Count();
    }
    size_t Entry(size_t row) const noexcept { return on_ ? rows_[row] : row; }
    // The row showing the entry, if it is shown.
    std::optional<size_t> RowOf(size_t entry) const noexcept;

    // The filter's result: only these entries (in list order) shown, the rest hidden and
    // unselected.
    void ShowOnly(ListModel& model, std::vector<uint32_t> shown);
    // Everything shown again.
    void ShowAll(ListModel& model);
    // The rows made again from the model's marks, after entries moved or went.
    void Rebuild(const ListModel& model);
    // An entry just appended: shown if it matched, else hidden.
    void Appended(ListModel& model, bool matched);

private:
    bool on_ = false;
    std::vector<uint32_t> rows_;
};

} // namespace filelist
