// "存在しないファイルを削除": every entry checked off the GUI thread, the progress in the status
// bar, then the entries found missing removed once the user agrees.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <unordered_set>

#include "filelist/path_checker.h"
#include "win/status_bar.h"

namespace win {
class Dialogs;
} // namespace win

namespace filelist {

class FileList;

class MissingPrune {
public:
    // owner: the window the boxes belong to. The progress goes to the status bar's report part
    // while the check runs.
    MissingPrune(HWND owner, FileList& list, win::StatusBar& statusBar, win::Dialogs& dialogs);
    ~MissingPrune();
    MissingPrune(const MissingPrune&) = delete;
    MissingPrune& operator=(const MissingPrune&) = delete;

    // Starts the check of every entry; refused with a message while one runs.
    void Start();
    bool Running() const noexcept { return checker_ != nullptr; }

private:
    void AnswersArrived(std::vector<PathCheck> answers);
    void AskMore();
    void Finish();

    HWND owner_;
    FileList& list_;
    win::StatusBar& statusBar_;
    win::Dialogs& dialogs_;
    std::unique_ptr<PathChecker> checker_;
    size_t total_ = 0; // the entries when the check started
    size_t nextIndex_ = 0;
    size_t asked_ = 0;
    size_t answered_ = 0;
    win::ProgressText progress_;
    // The stamps of the entries found missing: an entry edited or added since has another.
    std::unordered_set<uint32_t> missing_;
};

} // namespace filelist
