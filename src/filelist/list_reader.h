// A list file dropped on the list, read on a worker: the window answers meanwhile, the status bar
// shows how far the read has come after 200 ms, and Esc cancels it, leaving the list as it was.
// The worker reads the lines into a list of its own, which the window takes over at once when
// the whole file is read, texts and all, without copying them again.
#pragma once

#include <deque>
#include <exception>
#include <functional>
#include <string>

#include "filelist/list_model.h"
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
    // Esc: the read under way and those waiting are given up; the list stays as it was.
    void Cancel();
    bool Running() const noexcept { return job_.Running() || !waiting_.empty(); }

    win::JobRunner& Job() noexcept { return job_; }

private:
    void StartNext();
    void Ended(std::wstring_view report);

    FileList& list_;
    win::StatusBar& statusBar_;
    win::ProgressText progress_;
    std::deque<std::wstring> waiting_;
    struct FileRead {
        ListModel lines;
        std::exception_ptr failure;
    };
    win::Job<FileRead> job_;
};

} // namespace filelist
