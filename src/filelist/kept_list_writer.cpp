#include "filelist/kept_list_writer.h"

#include <utility>

#include "filelist/kept_list.h"
#include "filelist/list_file.h"
#include "win/error.h"

namespace filelist {
namespace {

// From the first change to the texts taken: "within about a second of the change".
constexpr unsigned kDelayMs = 1000;

} // namespace

KeptListWriter::KeptListWriter(std::wstring path, win::Returns& returns)
    : path_(std::move(path)), returns_(returns), job_(returns) {}

void KeptListWriter::Write(ListTexts texts) {
    texts_ = std::move(texts);
    frozen_.reset();
    waiting_ = Work::Write;
    StartWaiting();
}

void KeptListWriter::Write(FrozenList list) {
    texts_ = {};
    frozen_ = std::move(list);
    waiting_ = Work::Write;
    StartWaiting();
}

void KeptListWriter::Remove() {
    texts_ = {};
    frozen_.reset();
    waiting_ = Work::Remove;
    StartWaiting();
}

void KeptListWriter::StartWaiting() {
    if (job_.Running() || waiting_ == Work::None)
        return;
    const Work work = std::exchange(waiting_, Work::None);
    ListTexts texts = std::exchange(texts_, {});
    std::optional<FrozenList> frozen = std::exchange(frozen_, std::nullopt);
    if (frozen)
        texts = std::exchange(spare_, {});
    job_.Start(
        [path = path_, work, texts = std::move(texts),
         frozen = std::move(frozen)](win::Progress&) mutable {
            Done done;
            try {
                if (frozen)
                    frozen->CopyTexts(texts);
                if (work == Work::Write)
                    WriteListFile(path, texts);
                else
                    RemoveKeptList(path);
            } catch (...) {
                done.failure = std::current_exception();
            }
            done.texts = std::move(texts);
            return done;
        },
        [this](Done done) {
            spare_ = std::move(done.texts);
            if (!done.failure) {
                failure_ = nullptr;
                told_ = false;
            } else if (!told_) {
                failure_ = done.failure;
            }
            StartWaiting();
            if (!Busy() && onIdle)
                onIdle();
        });
}

void KeptListWriter::Wait() {
    while (Busy()) {
        job_.WaitForWorker(std::chrono::hours(1));
        returns_.RunWaiting();
    }
}

std::exception_ptr KeptListWriter::TakeFailure() {
    if (failure_)
        told_ = true;
    return std::exchange(failure_, nullptr);
}

KeptListKeeper::KeptListKeeper(std::wstring path, TakeList takeList)
    : takeList_(std::move(takeList)), writer_(std::move(path), win::ThreadReturns()),
      timer_([this] { Expired(); }) {
    writer_.onIdle = [this] { WriterIdle(); };
}

void KeptListKeeper::SetKept(bool kept) {
    kept_ = kept;
    if (!kept) {
        changed_ = false;
        timer_.Stop();
        // Its memory is the size of the list's texts: kept only while it saves time.
        writer_.DropSpare();
    }
}

void KeptListKeeper::ListChanged() {
    if (!kept_ || leaveAlone_)
        return;
    changed_ = true;
    if (!timer_.Running())
        timer_.Once(kDelayMs);
}

void KeptListKeeper::LeaveFileAlone() {
    leaveAlone_ = true;
    changed_ = false;
    timer_.Stop();
}

void KeptListKeeper::Finish() {
    timer_.Stop();
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

void KeptListKeeper::Expired() {
    // A write under way: the texts are taken once it is done, with every change made meanwhile.
    if (writer_.Busy() || !changed_)
        return;
    changed_ = false;
    writer_.Write(takeList_());
}

void KeptListKeeper::WriterIdle() {
    if (changed_ && !timer_.Running())
        Expired();
    if (std::exception_ptr failure = writer_.TakeFailure())
        std::rethrow_exception(failure);
}

} // namespace filelist
