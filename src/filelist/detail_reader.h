// Reads the details of listed files (size, date, folder or missing) off the window's thread. A
// folder that many of the files share is listed once and the names matched, rather than one
// look-up a file; the rest are looked up one by one.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

class DetailReader {
public:
    // Posts message to window whenever answers are waiting that were not yet announced.
    DetailReader(HWND window, UINT message);
    // Stops the threads; a read that hangs in the file system is left behind after a quarter of
    // a second.
    ~DetailReader();
    DetailReader(const DetailReader&) = delete;
    DetailReader& operator=(const DetailReader&) = delete;

    // Queues the questions behind those already waiting; the thread takes all that wait at once.
    void Ask(std::vector<DetailQuestion> questions);
    // Drops the questions not yet taken up and the answers not yet taken.
    void Forget();
    std::vector<DetailQuestion> TakeAnswers();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace filelist
