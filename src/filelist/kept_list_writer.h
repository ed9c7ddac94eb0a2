// The kept list kept current while the program runs: written by a worker soon after every
// change, so that a kill or a power cut loses at most the last second of changes, and the
// window never waits for the disk.
#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "filelist/list_model.h"
#include "filelist/list_texts.h"
#include "win/job.h"
#include "win/thread_returns.h"

namespace filelist {

// Writes the kept list as a job (win::Job), one write at a time. What is handed over while one
// runs replaces whatever was handed over before and not yet begun: only the newest list is worth
// writing. Its ends come back to the owner's thread.
class KeptListWriter {
public:
    KeptListWriter(std::wstring path, win::Returns& returns);
    KeptListWriter(const KeptListWriter&) = delete;
    KeptListWriter& operator=(const KeptListWriter&) = delete;

    // The list to be written, replacing the file whole; a frozen list's texts are taken on the
    // worker, so the window's thread only copies its entries.
    void Write(ListTexts texts);
    void Write(FrozenList list);
    // The file to be deleted: the list is no longer kept.
    void Remove();
    // Waits until everything handed over is done, its ends taken on the way.
    void Wait();
    // Whether work is under way or waiting.
    bool Busy() const noexcept { return job_.Running() || waiting_ != Work::None; }
    // Gives back the memory kept for the next list's texts.
    void DropSpare() { spare_ = {}; }
    // The failure of the last work done, unless that went through or the failure was taken
    // before: a failure is told once, and again only after a write has gone through since (a
    // full disk is said once, not at every change). Null when there is nothing to tell.
    std::exception_ptr TakeFailure();
    // Runs on the owner's thread when a piece of work has ended and nothing waits.
    std::function<void()> onIdle;

    win::JobRunner& Job() noexcept { return job_; }

private:
    enum class Work { None, Write, Remove };
    struct Done {
        ListTexts texts; // their memory, for the next list to be taken into
        std::exception_ptr failure;
    };
    void StartWaiting();

    const std::wstring path_;
    win::Returns& returns_;
    Work waiting_ = Work::None;
    ListTexts texts_;                  // for the waiting write
    std::optional<FrozenList> frozen_; // or this, in its place
    // The texts of the last list written: memory already in use costs a fraction of new memory
    // to fill.
    ListTexts spare_;
    std::exception_ptr failure_;
    bool told_ = false;
    win::Job<Done> job_;
};

// Keeps the kept list current from the window's thread. The first change after a write arms a
// timer; when it expires, about a second later, the list's texts are taken as they are then and
// handed to the writer. Later changes do not push the timer back, so changes that keep coming do
// not hold the write back; changes during a write are taken as soon as it ends. A failure of a
// write is reported by the program's standard error handling, once.
class KeptListKeeper {
public:
    // The list as it is now.
    using TakeList = std::function<FrozenList()>;

    KeptListKeeper(std::wstring path, TakeList takeList);
    KeptListKeeper(const KeptListKeeper&) = delete;
    KeptListKeeper& operator=(const KeptListKeeper&) = delete;

    // Whether the list is kept ("終了時にリストを保持"). Turned on, the list is written at its next
    // change; turned off, nothing more is written until Finish deletes the file.
    void SetKept(bool kept);
    // After every change of the list.
    void ListChanged();
    // The file at the path could not be read and is still there: in this run nothing is written
    // over it, nor is it deleted.
    void LeaveFileAlone();
    // At the program's end or the session's: the list as it is now written, or the file
    // deleted when the list is not kept, and waited for. Throws what made it fail.
    void Finish();

    KeptListWriter& Writer() noexcept { return writer_; }

private:
    void Expired();
    void WriterIdle();

    TakeList takeList_;
    bool kept_ = false;
    bool leaveAlone_ = false;
    bool changed_ = false; // since the texts were last taken
    KeptListWriter writer_;
    win::Timer timer_;
};

} // namespace filelist
