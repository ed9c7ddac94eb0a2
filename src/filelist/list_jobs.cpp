#include "filelist/list_jobs.h"

#include <utility>

namespace filelist {

ListFilter::ListFilter(ListModel& model, ShownRows& rows, MakeMatcher makeMatcher,
                       win::Returns& returns)
    : model_(model), rows_(rows), makeMatcher_(std::move(makeMatcher)), matcher_(makeMatcher_()),
      job_(returns) {}

bool ListFilter::SetText(std::wstring_view text) {
    std::vector<std::wstring> words;
    for (const std::wstring& word : FilterWords(text))
        words.push_back(matcher_->PrepareWord(word));
    if (words == words_)
        return false;
    words_ = std::move(words);
    if (!words_.empty()) {
        Start();
        return false;
    }
    job_.Cancel();
    if (!rows_.On())
        return false;
    rows_.ShowAll(model_);
    return true;
}

void ListFilter::Appended() {
    if (rows_.On())
        rows_.Appended(model_, matcher_->ContainsAll(model_.Text(model_.Count() - 1), words_));
}

void ListFilter::AppendedFrom(size_t first) {
    if (!rows_.On())
        return;
    for (size_t i = first; i < model_.Count(); ++i)
        model_.SetHidden(i, true);
    rows_.Rebuild(model_);
    Start();
}

void ListFilter::Reshaped(bool matchAgain) {
    if (!rows_.On())
        return;
    rows_.Rebuild(model_);
    if (matchAgain && !words_.empty())
        Start();
}

void ListFilter::Start() {
    reshapesAtStart_ = model_.ChangesOtherThanAppends();
    FrozenList frozen = model_.Freeze();
    countAtStart_ = frozen.Count();
    job_.Start(
        [frozen = std::move(frozen), words = words_, make = makeMatcher_](win::Progress& progress) {
            const std::unique_ptr<NameMatcher> matcher = make();
            return MatchEntries(frozen, words, *matcher, progress);
        },
        [this](std::optional<std::vector<uint32_t>> shown) {
            if (!shown)
                return;
            if (model_.ChangesOtherThanAppends() != reshapesAtStart_) {
                // Entries moved or went meanwhile: the same words again over the list as it is.
                Start();
                return;
            }
            // Appended after the freeze: matched here, they are few.
            for (size_t i = countAtStart_; i < model_.Count(); ++i) {
                if (matcher_->ContainsAll(model_.Text(i), words_))
                    shown->push_back(static_cast<uint32_t>(i));
            }
            if (onMatched)
                onMatched(std::move(*shown));
        });
}

ListSort::ListSort(ListModel& model, SortFunction sort, win::Returns& returns)
    : model_(model), sort_(std::move(sort)), job_(returns) {}

bool ListSort::Start(int column) {
    if (job_.Running()) {
        waiting_.push_back(column);
        return false;
    }
    waiting_.clear(); // left behind by a sort that failed
    column_ = column;
    Run();
    return true;
}

void ListSort::Run() {
    reshapesAtStart_ = model_.ChangesOtherThanAppends();
    job_.Start([frozen = model_.Freeze(), sign = model_.SortSign(column_),
                column = static_cast<DetailColumn>(column_), sort = sort_](
                   win::Progress& progress) { return sort(frozen, sign, column, progress); },
               [this](SortedList sorted) {
                   if (model_.ChangesOtherThanAppends() != reshapesAtStart_) {
                       // Entries were removed or moved meanwhile: the order no longer fits.
                       Run();
                       return;
                   }
                   if (onSorted)
                       onSorted(sorted);
                   if (!waiting_.empty()) {
                       column_ = waiting_.front();
                       waiting_.pop_front();
                       Run();
                   }
               },
               [this] {
                   if (onCancelled)
                       onCancelled();
               });
}

void ListSort::Apply(SortedList& sorted) {
    // What the sort had to read is the list's too, taken while the places still fit.
    for (const DetailQuestion& read : sorted.read)
        model_.TakeDetails(read.index, read.stamp, read.details);
    model_.TakeSortSign(column_);
    if (!sorted.order.empty())
        model_.Reorder(sorted.order);
}

} // namespace filelist
