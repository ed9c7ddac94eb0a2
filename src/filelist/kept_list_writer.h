// The kept list kept current while the program runs: written by a worker soon after every
// change, so that a kill or a power cut loses at most the last second of changes, and the
// window never waits for the disk.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "filelist/list_model.h"
#include "filelist/list_texts.h"

namespace filelist {

// Writes the kept list on a thread of its own. What is handed over replaces whatever was handed
// over before and not yet begun: only the newest list is worth writing.
class KeptListWriter {
public:
    explicit KeptListWriter(std::wstring path);
    // Finishes what was handed over, then ends the thread.
    ~KeptListWriter();
    KeptListWriter(const KeptListWriter&) = delete;
    KeptListWriter& operator=(const KeptListWriter&) = delete;

    // The list to be written, replacing the file whole; a frozen list's texts are taken on the
    // worker, so the window's thread only copies its entries.
    void Write(ListTexts texts);
    void Write(FrozenList list);
    // The file to be deleted: the list is no longer kept.
    void Remove();
    // Waits until everything handed over is done.
    void Wait();
    // Whether work is under way or waiting.
    bool Busy() const;
    // The texts of the last list written, for the next list to be taken into: memory already in
    // use costs a fraction of new memory to fill. Empty when there are none.
    ListTexts TakeSpare();
    // The failure of the last work done, unless that went through or the failure was taken
    // before: a failure is told once, and again only after a write has gone through since (a
    // full disk is said once, not at every change). Null when there is nothing to tell.
    std::exception_ptr TakeFailure();

private:
    enum class Job { None, Write, Remove };
    void Run();

    const std::wstring path_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Job waiting_ = Job::None;
    ListTexts texts_;                  // for the waiting write
    std::optional<FrozenList> frozen_; // or this, in its place
    ListTexts spare_;
    bool working_ = false;
    bool ending_ = false;
    std::exception_ptr failure_;
    bool told_ = false;
    std::thread thread_; // last: it starts once everything else is in place
};

// Keeps the kept list current from the window's thread. The first change after a write arms a
// timer on the window; when it expires, about a second later, the list's texts are taken as they
// are then and handed to the writer. Later changes do not push the timer back, so changes that
// keep coming do not hold the write back; changes during a write are taken as soon as it ends.
// A failure of a write is reported by the program's standard error handling, once.
class KeptListKeeper {
public:
    // The list as it is now.
    using TakeList = std::function<FrozenList()>;

    // window: a window of the calling thread, for the timer.
    KeptListKeeper(HWND window, std::wstring path, TakeList takeList);
    ~KeptListKeeper();
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
    static void CALLBACK TimerExpired(HWND window, UINT message, UINT_PTR id, DWORD time);
    void Expired();
    void Arm(UINT delayMs);
    void Disarm();
    UINT_PTR TimerId() const noexcept { return reinterpret_cast<UINT_PTR>(this); }

    HWND window_;
    TakeList takeList_;
    bool kept_ = false;
    bool leaveAlone_ = false;
    bool changed_ = false; // since the texts were last taken
    bool armed_ = false;
    KeptListWriter writer_;
};

} // namespace filelist
