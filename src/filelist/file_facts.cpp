#include "filelist/file_facts.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <utility>

#include "win/path_parts.h"

namespace filelist {

PathChecker::PathChecker(win::Returns& returns, ExistsFunction exists, Answered answered)
    : QuestionQueue(
          returns, 1,
          [](std::deque<PathCheck>& waiting) {
              std::vector<PathCheck> one;
              one.push_back(std::move(waiting.front()));
              waiting.pop_front();
              return one;
          },
          [exists = std::move(exists)](std::vector<PathCheck>& checks,
                                       const std::function<bool()>&) {
              for (PathCheck& check : checks) {
                  const PathState state = exists(check.path);
                  check.exists = state.exists;
                  check.folder = state.folder;
              }
          },
          std::move(answered)) {}

DetailReader::DetailReader(win::Returns& returns, DetailsFunction details, Answered answered)
    : QuestionQueue(
          returns, 4,
          // The questions about one folder (the first waiting's), taken from the queue.
          [](std::deque<DetailQuestion>& waiting) {
              const std::wstring folder(win::PathFolder(waiting.front().path));
              auto rest = std::stable_partition(
                  waiting.begin(), waiting.end(),
                  [&](const DetailQuestion& q) { return win::PathFolder(q.path) != folder; });
              std::vector<DetailQuestion> batch(std::make_move_iterator(rest),
                                                std::make_move_iterator(waiting.end()));
              waiting.erase(rest, waiting.end());
              return batch;
          },
          [details = std::move(details)](std::vector<DetailQuestion>& batch,
                                         const std::function<bool()>& keepGoing) {
              details(batch, keepGoing);
          },
          std::move(answered)) {}

FileFacts::FileFacts(ListModel& model, win::Returns& returns, ExistsFunction exists,
                     DetailsFunction details)
    : model_(model), returns_(returns), details_(std::move(details)) {
    SetExists(std::move(exists));
}

void FileFacts::SetExists(ExistsFunction exists) {
    exists_ = std::move(exists);
    checker_.reset();
    checker_ = std::make_unique<PathChecker>(
        returns_, exists_, [this](std::vector<PathCheck> answers) { TakeAnswers(std::move(answers)); });
    model_.ForgetFileStates();
}

void FileFacts::KeepDetails(bool keep) {
    model_.KeepDetails(keep);
    if (keep && !reader_)
        reader_ = std::make_unique<DetailReader>(
            returns_, details_,
            [this](std::vector<DetailQuestion> answers) { TakeDetails(std::move(answers)); });
    else if (!keep)
        reader_.reset();
}

void FileFacts::Drawn(size_t index) {
    if (model_.StartCheck(index))
        checker_->Ask({{model_.Stamp(index), index, std::wstring(model_.Text(index))}});
    // The rows in view are the ones drawn, so theirs are the details read first.
    if (reader_ && model_.StartDetails(index))
        reader_->Ask({{model_.Stamp(index), index, std::wstring(model_.Text(index)), {}}});
}

void FileFacts::ForgetQuestions() {
    // Answers come back by position; asked again when the rows are next drawn.
    checker_->Forget();
    if (reader_)
        reader_->Forget();
    model_.ForgetQuestions();
}

void FileFacts::Recheck() {
    checker_->Forget();
    model_.ForgetAnswers();
    if (reader_) {
        reader_->Forget();
        model_.ForgetDetails();
    }
}

void FileFacts::TakeAnswers(std::vector<PathCheck> answers) {
    for (const PathCheck& answer : answers) {
        const bool wasMissing = answer.index < model_.Count() && model_.ShownMissing(answer.index);
        // Only an entry drawn otherwise now, grey or as a folder, is told of.
        if (model_.TakeAnswer(answer.index, static_cast<uint32_t>(answer.stamp), answer.exists,
                              answer.folder) &&
            onChanged)
            onChanged(answer.index, model_.ShownMissing(answer.index) != wasMissing);
    }
}

void FileFacts::TakeDetails(std::vector<DetailQuestion> answers) {
    std::vector<size_t> taken;
    for (const DetailQuestion& answer : answers) {
        if (model_.TakeDetails(answer.index, answer.stamp, answer.details))
            taken.push_back(answer.index);
    }
    if (!taken.empty() && onDetails)
        onDetails(taken);
}

} // namespace filelist
