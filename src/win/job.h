// One cancellable piece of one-shot work on a worker thread (a sort, a filter, a list file read,
// the kept list's write, data received from a drop), with how far it has come. Its result comes
// back through a Returns to the owner's thread, and is dropped there when the job was cancelled,
// replaced by a newer one or its owner is gone. The work itself must hold nothing of its owner:
// it may outlive it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "win/returns.h"

namespace win {

// Thrown by work that sees it was cancelled.
struct Cancelled {};

// What the work is told (whether to stop) and tells (how far it has come).
class Progress {
public:
    bool Cancelled() const noexcept { return cancelled_.load(std::memory_order_relaxed); }
    // Throws win::Cancelled once the job was cancelled: for work deep in its loops.
    void Check() const {
        if (Cancelled())
            throw win::Cancelled{};
    }
    void Set(uint64_t done, uint64_t total) noexcept {
        done_.store(done, std::memory_order_relaxed);
        total_.store(total, std::memory_order_relaxed);
    }
    void Cancel() noexcept { cancelled_ = true; }
    // In hundredths, or -1 while the total is not known.
    int Percent() const noexcept;
    uint64_t Done() const noexcept { return done_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> cancelled_{false};
    std::atomic<uint64_t> done_{0};
    std::atomic<uint64_t> total_{0};
};

class JobRunner {
public:
    // What the work gives back: run on the owner's thread unless the job was dropped by then.
    using Finish = std::function<void()>;
    using Work = std::function<Finish(Progress&)>;

    explicit JobRunner(Returns& returns);
    // Cancels a job still running; a worker that does not end within a quarter of a second (a
    // file system that hangs) is left behind, so that the program's end is never held up long.
    ~JobRunner();
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    // Starts work on a new worker; a job still running is cancelled and its result dropped.
    // cancelled runs on the owner's thread once a job cancelled by Cancel has ended. What the
    // work throws is thrown again on the owner's thread, from its Returns.
    void StartWork(Work work, std::function<void()> cancelled = nullptr);
    // The running job asked to stop; it is still Running until its end has come back.
    void Cancel();
    bool Running() const noexcept { return run_ != nullptr; }
    bool Cancelling() const noexcept;
    // How far the running job has come (see Progress); -1 when none runs.
    int Percent() const noexcept;
    uint64_t Done() const noexcept;
    // Waits until the running job's worker has ended, its result waiting to come back; false
    // when it did not within the time.
    bool WaitForWorker(std::chrono::milliseconds longest);

    // For tests: while held, a worker that has done its work waits before handing it back, so
    // that a test can change things under a job that is still running; WorkDone says it has.
    void Hold(bool held);
    bool WorkDone() const noexcept;

    struct Run;
    struct Gate;

private:
    Returns::Sender sender_;
    std::shared_ptr<Run> run_;
    std::shared_ptr<Gate> gate_;
    // Closures coming back find whether the owner is still there by it.
    std::shared_ptr<JobRunner*> self_;
};

template <typename Result> class Job : public JobRunner {
public:
    using JobRunner::JobRunner;

    // work(progress) on a worker, then done(result) on the owner's thread.
    template <typename Work, typename Done>
    void Start(Work work, Done done, std::function<void()> cancelled = nullptr) {
        StartWork(
            [work = std::move(work), done = std::move(done)](Progress& progress) mutable -> Finish {
                if constexpr (std::is_void_v<Result>) {
                    work(progress);
                    return [done] { done(); };
                } else {
                    auto result = std::make_shared<Result>(work(progress));
                    return [done, result] { done(std::move(*result)); };
                }
            },
            std::move(cancelled));
    }
};

} // namespace win
