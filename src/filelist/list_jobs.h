// The list's long work, apart from any window: the filter's match and the sort, each a job over
// a frozen copy of the list whose result is taken into the model on the owner's thread, or the
// same work started again when the list changed shape meanwhile. Portable: how names compare and
// how texts sort are the system's business, handed in.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "filelist/list_filter.h"
#include "filelist/list_model.h"
#include "win/job.h"

namespace filelist {

struct SortedList {
    // order[i]: the entry for place i.
    std::vector<uint32_t> order;
    // The details the sort had to read, by their place in the list it was given.
    std::vector<DetailQuestion> read;
};

// The filter: the newest text's words matched on a worker, the entries appended meanwhile matched
// as they come, the match made again when entries moved or went before it ended.
class ListFilter {
public:
    // A matcher for one thread.
    using MakeMatcher = std::function<std::unique_ptr<NameMatcher>()>;

    ListFilter(ListModel& model, ShownRows& rows, MakeMatcher makeMatcher, win::Returns& returns);

    // The words of text; an empty text (no words) shows everything at once and returns true.
    // Otherwise the match starts and onMatched has the shown entries when it has ended.
    bool SetText(std::wstring_view text);
    // After an entry was appended to the model.
    void Appended();
    // After many entries were appended, from first on: hidden until the match, made again over
    // the whole list, has looked at them.
    void AppendedFrom(size_t first);
    // After entries moved or went: the rows made again, and the match made again when entries
    // may have come back that it has not seen (an undo).
    void Reshaped(bool matchAgain);
    bool Running() const noexcept { return job_.Running(); }
    // Every entry shown by the filter's words, in list order: what the rows are to become.
    std::function<void(std::vector<uint32_t> shown)> onMatched;

    win::JobRunner& Job() noexcept { return job_; }

private:
    void Start();

    ListModel& model_;
    ShownRows& rows_;
    MakeMatcher makeMatcher_;
    std::unique_ptr<NameMatcher> matcher_; // the owner's thread's
    std::vector<std::wstring> words_;
    uint64_t reshapesAtStart_ = 0;
    size_t countAtStart_ = 0;
    win::Job<std::optional<std::vector<uint32_t>>> job_;
};

// The sort by a column: one at a time, its sign turned for the next, done again over the list as
// it is when entries were removed or moved while it ran. A sort asked for while one runs waits its
// turn, as each click on a header is a sort of its own.
class ListSort {
public:
    using SortFunction = std::function<SortedList(const FrozenList&, int32_t sign,
                                                  DetailColumn column, win::Progress&)>;

    ListSort(ListModel& model, SortFunction sort, win::Returns& returns);

    // Starts the sort by column (a DetailColumn); false while one runs, after which this one
    // starts, with the sign the one before has left.
    bool Start(int column);
    // The sort running stops, and those waiting are given up.
    void Cancel() {
        waiting_.clear();
        job_.Cancel();
    }
    bool Running() const noexcept { return job_.Running(); }
    // Sorts wait their turn: while onSorted runs, whether another follows at once.
    bool Waiting() const noexcept { return !waiting_.empty(); }
    int Percent() const noexcept { return job_.Percent(); }
    // The order found, to be taken by Apply (the view takes what it needs of the old order
    // first); then the sign turns. onCancelled when Cancel stopped it.
    std::function<void(SortedList& sorted)> onSorted;
    std::function<void()> onCancelled;
    // Takes the order and what the sort read into the model.
    void Apply(SortedList& sorted);

    win::JobRunner& Job() noexcept { return job_; }

private:
    void Run();

    ListModel& model_;
    SortFunction sort_;
    int column_ = 0;
    std::deque<int> waiting_;
    uint64_t reshapesAtStart_ = 0;
    win::Job<SortedList> job_;
};

} // namespace filelist
