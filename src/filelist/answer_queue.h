// Questions about listed files answered on threads of their own, the answers announced to a
// window by a posted message: the file system can take many seconds to answer for a network
// path, and the window must go on answering meanwhile.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace filelist {

template <typename Question> class AnswerQueue {
public:
    // Takes the next batch from the waiting questions (never empty), under the queue's lock.
    using Take = std::function<std::vector<Question>(std::deque<Question>& waiting)>;
    // Answers a batch in place, outside the lock; it may stop early when keepGoing says no.
    using Answer =
        std::function<void(std::vector<Question>& batch, const std::function<bool()>& keepGoing)>;

    // Posts message to window whenever answers are waiting that were not yet announced.
    AnswerQueue(HWND window, UINT message, int threads, Take take, Answer answer)
        : shared_(std::make_shared<Shared>()) {
        shared_->window = window;
        shared_->message = message;
        shared_->take = std::move(take);
        shared_->answer = std::move(answer);
        shared_->running = threads;
        for (int i = 0; i < threads; ++i)
            std::thread([shared = shared_] { shared->Run(); }).detach();
    }
    // Stops the threads. One that hangs in the file system is left behind after a quarter of a
    // second, so that the program's end is never held up for long.
    ~AnswerQueue() {
        std::unique_lock lock(shared_->mutex);
        shared_->stopping = true;
        shared_->questions.clear();
        shared_->changed.notify_all();
        shared_->changed.wait_for(lock, std::chrono::milliseconds(250),
                                  [this] { return shared_->running == 0; });
    }
    AnswerQueue(const AnswerQueue&) = delete;
    AnswerQueue& operator=(const AnswerQueue&) = delete;

    // Queues the questions behind those already waiting.
    void Ask(std::vector<Question> questions) {
        std::lock_guard lock(shared_->mutex);
        for (Question& q : questions)
            shared_->questions.push_back(std::move(q));
        shared_->changed.notify_all();
    }
    // Drops the questions not yet taken up and the answers not yet taken; a batch being answered
    // meanwhile is not answered.
    void Forget() {
        std::lock_guard lock(shared_->mutex);
        shared_->questions.clear();
        shared_->answers.clear();
        ++shared_->generation;
    }
    // The answers that came in since the last call, in the order they came.
    std::vector<Question> TakeAnswers() {
        std::lock_guard lock(shared_->mutex);
        shared_->announced = false;
        std::vector<Question> taken;
        taken.swap(shared_->answers);
        return taken;
    }

private:
    // Held by the queue and its threads alike: a thread left behind in a hanging question still
    // finds it when it comes back.
    struct Shared {
        HWND window = nullptr;
        UINT message = 0;
        Take take;
        Answer answer;
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<Question> questions;
        std::vector<Question> answers;
        uint64_t generation = 0;
        bool announced = false;
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
                if (stopping || asked != generation)
                    continue;
                for (Question& q : batch)
                    answers.push_back(std::move(q));
                if (!announced)
                    announced = ::PostMessageW(window, message, 0, 0) != FALSE;
            }
            --running;
            changed.notify_all();
        }
    };
    std::shared_ptr<Shared> shared_;
};

} // namespace filelist
