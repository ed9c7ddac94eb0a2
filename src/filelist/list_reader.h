// A list file dropped on the list, read on a worker: the window answers meanwhile, the status bar
// shows how far the read has come after 200 ms, and Esc cancels it, leaving the list as it was.
// The entries are taken into the list in slices once the whole file is read, and shown together.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "filelist/list_texts.h"
#include "win/job.h"
#include "win/returns.h"
#include "win/status_bar.h"

namespace filelist {

class FileList;

class ListFileReader {
public:
    ListFileReader(FileList& list, win::StatusBar& statusBar, win::Returns& returns);

    // Reads the list file at path into the list, after any read still running. A file that
    // cannot be read adds nothing and is reported by the program's standard error handling.
    void Read(std::wstring path);
    // Esc: the read under way and those waiting are given up; the list stays as it was. While
    // the entries are being taken, only as long as nothing else has changed the list since.
    void Cancel();
    bool Running() const noexcept { return job_.Running() || appending_ || !waiting_.empty(); }
    // Runs after the entries of a read were taken into the list.
    std::function<void()> onRead;

    win::JobRunner& Job() noexcept { return job_; }

private:
    void StartNext();
    void AppendSlice();
    void Ended(std::wstring_view report);

    FileList& list_;
    win::StatusBar& statusBar_;
    win::Returns& returns_;
    std::deque<std::wstring> waiting_;
    // The read's entries while they are taken into the list.
    ListTexts texts_;
    size_t taken_ = 0;
    uint64_t changesBefore_ = 0; // the list's changes when the taking began
    bool appending_ = false;
    std::shared_ptr<ListFileReader*> self_;
    struct FileRead {
        ListTexts texts;
        std::exception_ptr failure;
    };
    win::Job<FileRead> job_;
};

} // namespace filelist
