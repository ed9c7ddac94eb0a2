// The one way work done elsewhere comes back: a worker hands a closure to the thread that owns a
// Returns, which runs it there, in the order handed, from its message loop. What a worker hands
// back once its owner is gone is dropped, never run.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace win {

class Returns {
public:
    // Called, from any thread, when closures are waiting and were not yet announced; it must make
    // the owner's thread call RunWaiting soon.
    using Wake = std::function<void()>;

    explicit Returns(Wake wake);
    // Drops what is waiting; whatever is handed back later is dropped too.
    ~Returns();
    Returns(const Returns&) = delete;
    Returns& operator=(const Returns&) = delete;

    // What a worker keeps: it may outlive the Returns.
    class Sender {
    public:
        Sender() = default;
        // False when the closure was dropped: the owner is gone.
        bool Post(std::function<void()> closure) const;

    private:
        friend class Returns;
        struct Shared;
        explicit Sender(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
        std::shared_ptr<Shared> shared_;
    };
    Sender MakeSender() const { return Sender(shared_); }
    bool Post(std::function<void()> closure) const { return MakeSender().Post(std::move(closure)); }

    // On the owner's thread: runs what was handed back until now, in order. A closure that throws
    // ends the call; the rest run at the next.
    void RunWaiting();

private:
    std::shared_ptr<Sender::Shared> shared_;
};

struct Returns::Sender::Shared {
    std::mutex mutex;
    std::deque<std::function<void()>> waiting;
    Wake wake;
    bool announced = false;
    bool closed = false;
};

} // namespace win
