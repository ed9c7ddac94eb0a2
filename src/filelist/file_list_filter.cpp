// The filter on screen: the words matched on a worker over a frozen copy of the list, the newest
// text winning, and the shown rows made the model's hidden marks' (see FileList).
#include "filelist/file_list.h"

#include <atomic>
#include <thread>
#include <utility>

namespace filelist {

struct FileList::FilterJob {
    FrozenList frozen;
    std::vector<std::wstring> words;
    // The list's shape when it was frozen: a result for another shape would show other entries.
    uint64_t reshapes = 0;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    std::optional<std::vector<uint32_t>> shown;
    std::thread worker;
};

void FileList::SetFilter(std::wstring_view text) {
    std::vector<std::wstring> words;
    for (const std::wstring& word : FilterWords(text))
        words.push_back(matcher_.PrepareWord(word));
    if (words == filterWords_)
        return;
    filterWords_ = std::move(words);
    StopFilter();
    if (!filterWords_.empty()) {
        StartFilter();
        return;
    }
    if (!rows_.On())
        return;
    const std::optional<uint32_t> focused = FocusedStamp();
    rows_.ShowAll(model_);
    ShowModelSelection(focused);
    Redraw();
    UpdateCountDisplay();
}

void FileList::StartFilter() {
    StopFilter();
    auto job = std::make_shared<FilterJob>();
    job->frozen = model_.Freeze();
    job->words = filterWords_;
    job->reshapes = model_.ChangesOtherThanAppends();
    filterJob_ = job;
    HWND window = listView_;
    job->worker = std::thread([job, window] {
        try {
            SystemNameMatcher matcher;
            job->shown = MatchEntries(job->frozen, job->words, matcher, job->cancelled);
        } catch (...) {
            // No memory for the result: the rows stay as they are.
            job->shown.reset();
        }
        job->finished = true;
        ::PostMessageW(window, kFilterMessage, 0, 0);
    });
}

void FileList::StopFilter() {
    if (!filterJob_)
        return;
    filterJob_->cancelled = true;
    if (filterJob_->worker.joinable())
        filterJob_->worker.join();
    filterJob_.reset();
}

void FileList::FilterEnded() {
    // The notice of a job since replaced or stopped says nothing.
    if (!filterJob_ || !filterJob_->finished)
        return;
    filterJob_->worker.join();
    const std::shared_ptr<FilterJob> job = std::move(filterJob_);
    if (!job->shown)
        return;
    if (model_.ChangesOtherThanAppends() != job->reshapes) {
        // Entries moved or went meanwhile: the same words again over the list as it now is.
        StartFilter();
        return;
    }
    std::vector<uint32_t> shown = std::move(*job->shown);
    // Appended after the freeze: matched here, they are few.
    for (size_t i = job->frozen.Count(); i < model_.Count(); ++i) {
        if (matcher_.ContainsAll(model_.Text(i), job->words))
            shown.push_back(static_cast<uint32_t>(i));
    }
    const std::optional<uint32_t> focused = FocusedStamp();
    rows_.ShowOnly(model_, std::move(shown));
    ShowModelSelection(focused);
    Redraw();
    UpdateCountDisplay();
}

void FileList::Reshaped(bool matchAgain) {
    if (!rows_.On())
        return;
    rows_.Rebuild(model_);
    if (matchAgain && !filterWords_.empty())
        StartFilter();
}

} // namespace filelist
