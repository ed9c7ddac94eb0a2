// What is known of each listed file, asked of the file system for the rows drawn and kept with the
// entries in the model: whether it is missing and whether it is a folder (one thread, a question at
// a time), and while a column shows them its size and date (four threads, the questions about one
// folder together). Portable: how the file system is asked is handed in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "filelist/file_details.h"
#include "filelist/list_model.h"
#include "win/question_queue.h"

namespace filelist {

// One question and, once answered, its answer. The stamp and index say which entry was meant,
// so that the answer can be dropped when the entry has since changed or moved.
struct PathCheck {
    uint32_t stamp = 0;
    size_t index = 0;
    std::wstring path;
    bool exists = false;
    bool folder = false;
};

// What is at a path: whether anything is, and whether it is a folder.
struct PathState {
    bool exists = false;
    bool folder = false;
};

// Whether a file or folder is at path, and which.
using ExistsFunction = std::function<PathState(const std::wstring& path)>;
// Answers every question in place; stops where it is once keepGoing says no.
using DetailsFunction = std::function<void(std::vector<DetailQuestion>& questions,
                                           const std::function<bool()>& keepGoing)>;

// One thread, one question at a time. At the program's end a check that hangs is left behind
// after a quarter of a second, so that its checkers together never hold it up for long.
class PathChecker : public win::QuestionQueue<PathCheck> {
public:
    PathChecker(win::Returns& returns, ExistsFunction exists, Answered answered);
};

// Four threads, each taking the questions about one folder at a time: a folder that answers
// slowly (a network share gone away) holds up one thread and its own rows, the others go on.
class DetailReader : public win::QuestionQueue<DetailQuestion> {
public:
    DetailReader(win::Returns& returns, DetailsFunction details, Answered answered);
};

class FileFacts {
public:
    FileFacts(ListModel& model, win::Returns& returns, ExistsFunction exists,
              DetailsFunction details);

    // A row of the entry is being drawn: what is not known of its file yet is asked.
    void Drawn(size_t index);
    // Entries moved or went: the questions out would be answered for the wrong place.
    void ForgetQuestions();
    // Everything is asked again; what is shown stays until the new answers come.
    void Recheck();
    // Nothing is known any more; what comes from now on is asked through exists.
    void SetExists(ExistsFunction exists);
    const ExistsFunction& Exists() const noexcept { return exists_; }
    // Sizes and dates are read and kept only while a column shows them.
    void KeepDetails(bool keep);

    // After an answer changed how the entry is drawn (grey, as a folder); missingChanged when
    // its file went or came back.
    std::function<void(size_t index, bool missingChanged)> onChanged;
    // After details came for these entries.
    std::function<void(const std::vector<size_t>& indices)> onDetails;

    // For tests: the queues, to hold them.
    PathChecker& Checks() noexcept { return *checker_; }
    DetailReader* Details() noexcept { return reader_.get(); }

private:
    void TakeAnswers(std::vector<PathCheck> answers);
    void TakeDetails(std::vector<DetailQuestion> answers);

    ListModel& model_;
    win::Returns& returns_;
    ExistsFunction exists_;
    DetailsFunction details_;
    std::unique_ptr<PathChecker> checker_;
    // Only while details are kept.
    std::unique_ptr<DetailReader> reader_;
};

} // namespace filelist
