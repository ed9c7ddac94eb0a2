// Entries whose files are gone, found off the window's thread: "存在しないファイルを削除", with its
// progress in the status bar and the entries found removed once the user agrees; and the same
// search for whoever needs it (what a drag out of the list leaves behind).
#pragma once

#include <windows.h>

#include <cstdint>
#include <unordered_set>

#include "filelist/list_model.h"
#include "filelist/path_checker.h"
#include "win/job.h"
#include "win/status_bar.h"

namespace win {
class Dialogs;
} // namespace win

namespace filelist {

class FileList;

// The stamps of list's entries (of those in only, when given) whose file or folder is gone, asked
// with exists one after the other. For a worker: it says how far it has come in entries asked
// (of only's size, or the list's) and throws win::Cancelled once cancelled.
std::unordered_set<uint32_t> GoneStamps(const FrozenList& list,
                                        const std::unordered_set<uint32_t>* only,
                                        const ExistsFunction& exists, win::Progress& progress);

class MissingPrune {
public:
    // owner: the window the boxes belong to. The progress goes to the status bar's report part
    // while the check runs.
    MissingPrune(HWND owner, FileList& list, win::StatusBar& statusBar, win::Dialogs& dialogs);
    MissingPrune(const MissingPrune&) = delete;
    MissingPrune& operator=(const MissingPrune&) = delete;

    // Starts the check of every shown entry; refused with a message while one runs.
    void Start();
    bool Running() const noexcept { return job_.Running(); }

private:
    void Finish(const std::unordered_set<uint32_t>& gone);

    HWND owner_;
    FileList& list_;
    win::StatusBar& statusBar_;
    win::Dialogs& dialogs_;
    size_t total_ = 0; // the entries when the check started
    win::ProgressText progress_;
    win::Job<std::unordered_set<uint32_t>> job_;
};

} // namespace filelist
