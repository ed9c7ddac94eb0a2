#include "win/job.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace win {
namespace {

// The threads that run the jobs, kept once made and given the next job when they are done with
// one. Making a thread for every job and ending it after costs the process's loader lock twice a
// job, and under Wine a thread made just as another ends may wait seconds before it runs: a sort
// started right after another would seem never to end.
class Workers {
public:
    static void Run(std::function<void()> task) {
        // Never destroyed: its threads wait on it until the process ends.
        static Workers* const workers = new Workers;
        workers->Add(std::move(task));
    }

private:
    void Add(std::function<void()> task) {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        // A thread for every task that no idle thread will take: jobs run side by side.
        if (tasks_.size() > idle_)
            std::thread([this] { Serve(); }).detach();
        else
            ready_.notify_one();
    }
    void Serve() {
        std::unique_lock lock(mutex_);
        for (;;) {
            ++idle_;
            ready_.wait(lock, [this] { return !tasks_.empty(); });
            --idle_;
            std::function<void()> task = std::move(tasks_.front());
            tasks_.pop_front();
            lock.unlock();
            task();
            task = nullptr; // what it held goes now, not when the next job comes
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> tasks_;
    size_t idle_ = 0;
};

} // namespace

int Progress::Percent() const noexcept {
    const uint64_t total = total_.load(std::memory_order_relaxed);
    if (total == 0)
        return -1;
    const uint64_t done = done_.load(std::memory_order_relaxed);
    return static_cast<int>((done >= total ? total : done) * 100 / total);
}

// One job as its worker and its owner share it.
struct JobRunner::Run {
    Progress progress;
    std::function<void()> cancelled;
    std::mutex mutex;
    std::condition_variable ended;
    bool workerEnded = false;
    std::atomic<bool> workDone{false};
};

struct JobRunner::Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;

    void PassWhenOpen(const Progress& progress) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return !held || progress.Cancelled(); });
    }
};

JobRunner::JobRunner(Returns& returns)
    : sender_(returns.MakeSender()), gate_(std::make_shared<Gate>()),
      self_(std::make_shared<JobRunner*>(this)) {}

JobRunner::~JobRunner() {
    if (!run_)
        return;
    run_->progress.Cancel();
    gate_->changed.notify_all();
    WaitForWorker(std::chrono::milliseconds(250));
}

void JobRunner::StartWork(Work work, std::function<void()> cancelled) {
    if (run_) {
        run_->progress.Cancel();
        gate_->changed.notify_all();
    }
    auto run = std::make_shared<Run>();
    run->cancelled = std::move(cancelled);
    std::weak_ptr<JobRunner*> owner = self_;
    Workers::Run([run, gate = gate_, sender = sender_, owner, work = std::move(work)]() mutable {
        Finish finish;
        std::exception_ptr failure;
        try {
            finish = work(run->progress);
        } catch (const win::Cancelled&) {
            run->progress.Cancel();
        } catch (...) {
            failure = std::current_exception();
        }
        work = nullptr; // what it held goes with the worker, not with the owner's thread
        run->workDone = true;
        gate->PassWhenOpen(run->progress);
        {
            std::lock_guard lock(run->mutex);
            run->workerEnded = true;
        }
        run->ended.notify_all();
        sender.Post([run, owner, finish = std::move(finish), failure] {
            const std::shared_ptr<JobRunner*> self = owner.lock();
            if (!self || (*self)->run_ != run)
                return; // the owner is gone, or has started another job since
            (*self)->run_.reset();
            if (run->progress.Cancelled()) {
                if (run->cancelled)
                    run->cancelled();
                return;
            }
            if (failure)
                std::rethrow_exception(failure);
            if (finish)
                finish();
        });
    });
    run_ = std::move(run);
}

void JobRunner::Cancel() {
    if (!run_)
        return;
    run_->progress.Cancel();
    gate_->changed.notify_all();
}

bool JobRunner::Cancelling() const noexcept { return run_ && run_->progress.Cancelled(); }

int JobRunner::Percent() const noexcept { return run_ ? run_->progress.Percent() : -1; }

uint64_t JobRunner::Done() const noexcept { return run_ ? run_->progress.Done() : 0; }

bool JobRunner::WaitForWorker(std::chrono::milliseconds longest) {
    if (!run_)
        return true;
    std::unique_lock lock(run_->mutex);
    return run_->ended.wait_for(lock, longest, [this] { return run_->workerEnded; });
}

bool JobRunner::WorkDone() const noexcept { return run_ && run_->workDone; }

void JobRunner::Hold(bool held) {
    {
        std::lock_guard lock(gate_->mutex);
        gate_->held = held;
    }
    gate_->changed.notify_all();
}

} // namespace win
