// Reads the details of listed files (size, date, folder or missing) off the window's thread. A
// folder that many of the files share is listed once and the names matched, rather than one
// look-up a file; the rest are looked up one by one.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "filelist/answer_queue.h"
#include "filelist/file_details.h"

namespace filelist {

// One question and, once answered, its answer. The stamp and index say which entry was meant,
// so that the answer can be dropped when the entry has since changed or moved.
struct DetailQuestion {
    uint32_t stamp = 0;
    size_t index = 0;
    std::wstring path;
    FileDetails details;
};

// Answers every question, each folder shared by several listed once. done counts the answers;
// when keepGoing says no, it stops where it is and returns false.
bool ReadDetails(std::vector<DetailQuestion>& questions, const std::function<bool()>& keepGoing,
                 std::atomic<size_t>* done = nullptr);

// Four threads, each taking the questions about one folder at a time: a folder that answers
// slowly (a network share gone away) holds up one thread and its own rows, the others go on.
class DetailReader : public AnswerQueue<DetailQuestion> {
public:
    DetailReader(HWND window, UINT message);
};

} // namespace filelist
