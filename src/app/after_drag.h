// What becomes of the entries a drag hands out of the list once it has ended: kept, taken off
// when their files were moved away, or taken off whenever the drop target took them.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

#include "dragout/drag_out.h"
#include "filelist/list_model.h"
#include "win/job.h"
#include "win/status_bar.h"

namespace filelist {
class FileList;
}

namespace app {

// The items of "ドラッグ後(&A)", in their order; the numbers are what the settings file keeps.
enum class AfterDragChoice : int { Keep = 0, TakeOffMoved = 1, TakeOffDragged = 2 };

// A choice from the settings file's number; any number that is none of them keeps the list.
AfterDragChoice AfterDragChoiceFrom(int number);

class AfterDrag {
public:
    // A check still running when it goes is given up, and its progress with it.
    AfterDrag(filelist::FileList& list, win::StatusBar& statusBar);
    AfterDrag(const AfterDrag&) = delete;
    AfterDrag& operator=(const AfterDrag&) = delete;

    AfterDragChoice Choice() const noexcept { return choice_; }
    void SetChoice(AfterDragChoice choice) noexcept { choice_ = choice; }

    // The paths a drag is about to hand over, in list order: every shown entry, or the selected
    // ones. The entries are remembered by their stamps for when the drag ends.
    std::vector<std::wstring> HandOver(bool selectedOnly);
    // The drag that took the last HandOver has ended: its report goes to the status bar, and
    // the entries are taken off as chosen. Whether their files are gone is asked on a worker;
    // the entries found so are taken off as one step to undo, each only while it still has the
    // stamp it was handed over with (an entry edited meanwhile stays).
    void Ended(const dragout::DragOutcome& outcome);
    // The check of whether the files are gone, for tests that hold it.
    win::JobRunner& Job() noexcept { return job_; }

private:
    struct Handed {
        std::vector<uint32_t> stamps;
        // The list as it was, when whether the files are gone is to be asked.
        filelist::FrozenList list;
        bool onlyGone = false;
        // The target answered "none" and reported nothing: only the files' absence tells.
        bool unreported = false;
        std::wstring report;
    };
    void StartNext();
    void TakeOff(const std::wstring& report, const std::unordered_set<uint32_t>& stamps,
                 bool unreported);

    filelist::FileList& list_;
    win::StatusBar& statusBar_;
    win::ProgressText progress_;
    AfterDragChoice choice_ = AfterDragChoice::Keep;
    Handed handed_;
    // Drags that ended while the files of an earlier one were still being checked.
    std::deque<Handed> waiting_;
    // The stamps of the entries to take off, gathered on a worker.
    win::Job<std::unordered_set<uint32_t>> job_;
};

} // namespace app
