#include "win/returns.h"

#include <utility>

namespace win {

Returns::Returns(Wake wake) : shared_(std::make_shared<Sender::Shared>()) {
    shared_->wake = std::move(wake);
}

Returns::~Returns() {
    // Destroyed once the lock is let go: a closure may hold the last reference to its work.
    std::deque<std::function<void()>> dropped;
    std::lock_guard lock(shared_->mutex);
    shared_->closed = true;
    dropped.swap(shared_->waiting);
}

bool Returns::Sender::Post(std::function<void()> closure) const {
    if (!shared_)
        return false;
    bool wake = false;
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->closed)
            return false;
        shared_->waiting.push_back(std::move(closure));
        wake = !shared_->announced;
        shared_->announced = true;
    }
    if (wake)
        shared_->wake();
    return true;
}

void Returns::RunWaiting() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->announced = false;
        batch.swap(shared_->waiting);
    }
    while (!batch.empty()) {
        std::function<void()> closure = std::move(batch.front());
        batch.pop_front();
        try {
            closure();
        } catch (...) {
            // What was not run yet goes back in front of anything handed back meanwhile.
            std::lock_guard lock(shared_->mutex);
            for (auto it = batch.rbegin(); it != batch.rend(); ++it)
                shared_->waiting.push_front(std::move(*it));
            if (!shared_->waiting.empty() && !shared_->announced) {
                shared_->announced = true;
                shared_->wake();
            }
            throw;
        }
    }
}

} // namespace win
