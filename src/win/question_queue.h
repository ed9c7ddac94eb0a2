// Questions about many entries (does the file exist, is it a folder, its size and date) answered
// in batches on threads of their own, the answers handed back through a Returns: the file system
// can take many seconds to answer for a network path, and the window must go on answering
// meanwhile.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "win/returns.h"

namespace win {

template <typename Question> class QuestionQueue {
public:
    // Takes the next batch from the waiting questions (never empty), under the queue's lock.
    using Take = std::function<std::vector<Question>(std::deque<Question>& waiting)>;
    // Answers a batch in place, outside the lock; it may stop early when keepGoing says no.
    using Answer =
        std::function<void(std::vector<Question>& batch, const std::function<bool()>& keepGoing)>;
    // On the owner's thread: the answers that came in since the last call, in the order they
    // came. Never called once the queue is gone.
    using Answered = std::function<void(std::vector<Question> answers)>;

    QuestionQueue(Returns& returns, int threads, Take take, Answer answer, Answered answered)
        : shared_(std::make_shared<Shared>()) {
        shared_->sender = returns.MakeSender();
        shared_->take = std::move(take);
        shared_->answer = std::move(answer);
        shared_->answered = std::move(answered);
        shared_->running = threads;
        for (int i = 0; i < threads; ++i)
            std::thread([shared = shared_] { shared->Run(); }).detach();
    }
    // Stops the threads. One that hangs in the file system is left behind after a quarter of a
    // second, so that the program's end is never held up for long.
    ~QuestionQueue() {
        std::unique_lock lock(shared_->mutex);
        shared_->stopping = true;
        shared_->questions.clear();
        shared_->changed.notify_all();
        shared_->changed.wait_for(lock, std::chrono::milliseconds(250),
                                  [this] { return shared_->running == 0; });
    }
    QuestionQueue(const QuestionQueue&) = delete;
    QuestionQueue& operator=(const QuestionQueue&) = delete;

    // Queues the questions behind those already waiting.
    void Ask(std::vector<Question> questions) {
        std::lock_guard lock(shared_->mutex);
        for (Question& q : questions)
            shared_->questions.push_back(std::move(q));
        shared_->changed.notify_all();
    }
    // Drops the questions not yet taken up and the answers not yet handed back; a batch being
    // answered meanwhile is not handed back.
    void Forget() {
        std::lock_guard lock(shared_->mutex);
        shared_->questions.clear();
        shared_->answers.clear();
        ++shared_->generation;
    }
    // For tests: while held, answered batches wait before they are handed back.
    void Hold(bool held) {
        std::lock_guard lock(shared_->mutex);
        shared_->held = held;
        shared_->changed.notify_all();
    }

private:
    // Held by the queue, its threads and the closures handed back alike: a thread left behind
    // in a hanging question still finds it when it comes back.
    struct Shared : std::enable_shared_from_this<Shared> {
        Returns::Sender sender;
        Take take;
        Answer answer;
        Answered answered; // touched only on the owner's thread, and only while !stopping
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<Question> questions;
        std::vector<Question> answers;
        uint64_t generation = 0;
        bool announced = false;
        bool held = false;
        // Read outside the lock by a batch being answered, which stops at it.
        std::atomic<bool> stopping{false};
        int running = 0;

        void Run() {
            std::unique_lock lock(mutex);
            while (!stopping) {
                changed.wait(lock, [this] { return stopping || !questions.empty(); });
                if (stopping)
                    break;
                std::vector<Question> batch = take(questions);
                const uint64_t asked = generation;
                lock.unlock();
                answer(batch, [this] { return !stopping; });
                lock.lock();
                changed.wait(lock, [this] { return stopping || !held; });
                if (stopping || asked != generation)
                    continue;
                for (Question& q : batch)
                    answers.push_back(std::move(q));
                if (!announced)
                    announced =
                        sender.Post([self = this->shared_from_this()] { self->HandBack(); });
            }
            --running;
            changed.notify_all();
        }

        // On the owner's thread, where the queue's destructor runs too: once it has, the
        // answers are dropped.
        void HandBack() {
            std::vector<Question> taken;
            {
                std::lock_guard lock(mutex);
                announced = false;
                if (stopping)
                    return;
                taken.swap(answers);
            }
            if (!taken.empty())
                answered(std::move(taken));
        }
    };
    std::shared_ptr<Shared> shared_;
};

} // namespace win
