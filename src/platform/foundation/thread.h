// Threads of the app: the main thread mark, named worker threads with cooperative cancellation,
// and a sleep that obeys the process clock (a manual clock only wakes it when advanced).
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace fnd {

// Marks the calling thread as the main thread and creates its run loop, `RunLoop::main()`.
// Called once, by the app's `main` or the test main, before any other thread starts.
void initMainThread();
bool isMainThread();

// A handle to a thread. Copies share the same thread. The body (and whatever it captures) stays
// alive until the body returns. A started thread that nobody joins is detached when the last
// handle goes, so dropping a handle never ends or blocks the process.
class Thread {
public:
    using Body = std::function<void()>;

    explicit Thread(Body body);

    // Starts `body` on a new thread that nobody joins.
    static void detach(Body body);

    // The calling thread. Threads not started through `Thread` get a handle on first use.
    static Thread current();

    // Blocks the calling thread for `seconds` of clock time. Under a manual clock the thread
    // sleeps until the clock has been advanced to the deadline, counting itself in
    // `ManualClock::sleepers()` meanwhile.
    static void sleepFor(double seconds);

    // Starts the thread; a second call does nothing.
    void start();
    // Waits for the body to return (used by tests and shutdown). Does nothing for a thread that
    // was never started, was already joined, or is the calling thread.
    void join();

    // Cooperative cancellation: the body polls `Thread::current().isCancelled()`.
    void cancel();
    bool isCancelled() const;

    bool isExecuting() const;
    bool isFinished() const;

    // The name shows in logs and, cut to 15 bytes, in the OS thread name.
    std::string name() const;
    void setName(const std::string& name);

    // A stable hexadecimal identity for log lines ("0x7f3a2c001230").
    std::string identityHex() const;

    bool operator==(const Thread& other) const { return state_ == other.state_; }

    struct State;

private:
    explicit Thread(std::shared_ptr<State> state) : state_(std::move(state)) {}

    std::shared_ptr<State> state_;
};

} // namespace fnd
