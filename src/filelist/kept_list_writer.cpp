#include "filelist/kept_list_writer.h"

#include <utility>

#include "filelist/kept_list.h"
#include "filelist/list_file.h"
#include "win/error.h"

namespace filelist {
namespace {

// From the first change to the texts taken: "within about a second of the change".
constexpr UINT kDelayMs = 1000;
// How often a write under way is looked at, to take the changes made meanwhile as soon as it
// ends and to report how it went.
constexpr UINT kFollowMs = 100;

} // namespace

KeptListWriter::KeptListWriter(std::wstring path)
    : path_(std::move(path)), thread_([this] { Run(); }) {}

KeptListWriter::~KeptListWriter() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void KeptListWriter::Write(ListTexts texts) {
    ListTexts replaced;
    {
        std::lock_guard lock(mutex_);
        replaced = std::exchange(texts_, std::move(texts));
        frozen_.reset();
        waiting_ = Job::Write;
    }
    changed_.notify_all();
}

void KeptListWriter::Write(FrozenList list) {
    std::optional<FrozenList> replaced;
    {
        std::lock_guard lock(mutex_);
        replaced = std::exchange(frozen_, std::move(list));
        waiting_ = Job::Write;
    }
    changed_.notify_all();
}

void KeptListWriter::Remove() {
    ListTexts replaced;
    {
        std::lock_guard lock(mutex_);
        replaced = std::exchange(texts_, {});
        frozen_.reset();
        waiting_ = Job::Remove;
    }
    changed_.notify_all();
}

void KeptListWriter::Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_ == Job::None && !working_; });
}

bool KeptListWriter::Busy() const {
    std::lock_guard lock(mutex_);
    return waiting_ != Job::None || working_;
}

ListTexts KeptListWriter::TakeSpare() {
    std::lock_guard lock(mutex_);
    return std::exchange(spare_, {});
}

std::exception_ptr KeptListWriter::TakeFailure() {
    std::lock_guard lock(mutex_);
    if (failure_)
        told_ = true;
    return std::exchange(failure_, nullptr);
}

void KeptListWriter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return waiting_ != Job::None || ending_; });
        if (waiting_ == Job::None)
            return;
        const Job job = std::exchange(waiting_, Job::None);
        ListTexts texts = std::exchange(texts_, {});
        std::optional<FrozenList> frozen = std::exchange(frozen_, std::nullopt);
        if (frozen)
            texts = std::exchange(spare_, {});
        working_ = true;
        lock.unlock();
        std::exception_ptr failure;
        try {
            if (frozen)
                frozen->CopyTexts(texts);
            if (job == Job::Write)
                WriteListFile(path_, texts);
            else
                RemoveKeptList(path_);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        spare_ = std::move(texts);
        working_ = false;
        if (!failure) {
            failure_ = nullptr;
            told_ = false;
        } else if (!told_) {
            failure_ = failure;
        }
        changed_.notify_all();
    }
}

KeptListKeeper::KeptListKeeper(HWND window, std::wstring path, TakeList takeList)
    : window_(window), takeList_(std::move(takeList)), writer_(std::move(path)) {}

KeptListKeeper::~KeptListKeeper() { Disarm(); }

void KeptListKeeper::SetKept(bool kept) {
    kept_ = kept;
    if (!kept) {
        changed_ = false;
        Disarm();
        // Its memory is the size of the list's texts: kept only while it saves time.
        writer_.TakeSpare();
    }
}

void KeptListKeeper::ListChanged() {
    if (!kept_ || leaveAlone_)
        return;
    changed_ = true;
    if (!armed_)
        Arm(kDelayMs);
}

void KeptListKeeper::LeaveFileAlone() {
    leaveAlone_ = true;
    changed_ = false;
    Disarm();
}

void KeptListKeeper::Finish() {
    Disarm();
    changed_ = false;
    if (leaveAlone_)
        return;
    if (kept_)
        writer_.Write(takeList_());
    else
        writer_.Remove();
    writer_.Wait();
    if (std::exception_ptr failure = writer_.TakeFailure())
        std::rethrow_exception(failure);
}

void CALLBACK KeptListKeeper::TimerExpired(HWND, UINT, UINT_PTR id, DWORD) {
    try {
        reinterpret_cast<KeptListKeeper*>(id)->Expired();
    } catch (...) {
        win::ReportCurrentException();
    }
}

void KeptListKeeper::Expired() {
    Disarm();
    // A write under way: the texts are taken once it is done, with every change made meanwhile.
    if (writer_.Busy()) {
        Arm(kFollowMs);
        return;
    }
    if (changed_) {
        FrozenList list = takeList_();
        changed_ = false;
        writer_.Write(std::move(list));
        Arm(kFollowMs);
    }
    if (std::exception_ptr failure = writer_.TakeFailure())
        std::rethrow_exception(failure);
}

void KeptListKeeper::Arm(UINT delayMs) {
    // The timer's id is the keeper itself: unique on the window, and the way back to it.
    armed_ = ::SetTimer(window_, TimerId(), delayMs, &KeptListKeeper::TimerExpired) != 0;
}

void KeptListKeeper::Disarm() {
    if (armed_)
        ::KillTimer(window_, TimerId());
    armed_ = false;
}

} // namespace filelist
