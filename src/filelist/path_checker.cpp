#include "filelist/path_checker.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace filelist {

bool PathExists(const std::wstring& path) {
    if (path.empty())
        return false;
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    DWORD code = ::GetLastError();
    return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
}

// Held by the checker and its thread alike: a thread left behind in a hanging check still
// finds it when it comes back.
struct PathChecker::Shared {
    HWND window;
    UINT message;
    ExistsFunction exists;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<PathCheck> questions;
    std::vector<PathCheck> answers;
    bool announced = false;
    bool stopping = false;
    bool finished = false;

    void Run() {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return stopping || !questions.empty(); });
            if (stopping)
                break;
            PathCheck check = std::move(questions.front());
            questions.pop_front();
            lock.unlock();
            check.exists = exists(check.path);
            lock.lock();
            if (stopping)
                break;
            answers.push_back(std::move(check));
            if (!announced)
                announced = ::PostMessageW(window, message, 0, 0) != FALSE;
        }
        finished = true;
        changed.notify_all();
    }
};

PathChecker::PathChecker(HWND window, UINT message, ExistsFunction exists)
    : shared_(std::make_shared<Shared>()) {
    shared_->window = window;
    shared_->message = message;
    shared_->exists = std::move(exists);
    std::thread([shared = shared_] { shared->Run(); }).detach();
}

PathChecker::~PathChecker() {
    std::unique_lock lock(shared_->mutex);
    shared_->stopping = true;
    shared_->questions.clear();
    shared_->changed.notify_all();
    shared_->changed.wait_for(lock, std::chrono::milliseconds(250),
                              [this] { return shared_->finished; });
}

void PathChecker::Ask(std::vector<PathCheck> checks) {
    std::lock_guard lock(shared_->mutex);
    for (PathCheck& check : checks)
        shared_->questions.push_back(std::move(check));
    shared_->changed.notify_all();
}

void PathChecker::Forget() {
    std::lock_guard lock(shared_->mutex);
    shared_->questions.clear();
    shared_->answers.clear();
}

std::vector<PathCheck> PathChecker::TakeAnswers() {
    std::lock_guard lock(shared_->mutex);
    shared_->announced = false;
    std::vector<PathCheck> taken;
    taken.swap(shared_->answers);
    return taken;
}

} // namespace filelist
