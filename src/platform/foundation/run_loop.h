// Per-thread event loops: tasks posted from any thread, timers and delayed performs on a deadline
// heap keyed on Clock::monotonic(), and socket completions as stream sources, all serviced by
// whichever mode the loop's thread runs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/foundation/date.h"

namespace fnd {

class Timer;
class RunLoop;

// Modes are plain strings; product code may run its own. Whatever is registered in `Common` is
// serviced in every mode. Socket completions are serviced when the loop runs `Default` or `Common`.
namespace RunLoopMode {
inline constexpr std::string_view Default = "Default";
inline constexpr std::string_view Common = "Common";
} // namespace RunLoopMode

namespace detail {
struct Perform;
// The loop's I/O context; run_loop_io.h (internal to fnd) defines it and reaches it.
struct LoopIo;
LoopIo& loopIo(RunLoop& loop);
} // namespace detail
namespace testing {
bool settle(double realTimeout); // test driver, see testing/loop_driver.h
}

// Cancels a delayed perform that has not run yet. Default-constructed handles refer to nothing.
class PerformHandle {
public:
    PerformHandle() = default;
    void cancel();
    bool isPending() const;

private:
    friend class RunLoop;
    explicit PerformHandle(std::weak_ptr<detail::Perform> perform) : perform_(std::move(perform)) {}
    std::weak_ptr<detail::Perform> perform_;
};

class RunLoop : public std::enable_shared_from_this<RunLoop> {
public:
    using Task = std::function<void()>;
    struct Passkey {
    private:
        friend class RunLoop;
        Passkey() = default;
    };

    // The calling thread's loop, created on first use. It lives until its thread ends; code on
    // other threads that keeps a loop keeps `shared_from_this()`. When a worker thread ends, its
    // loop closes: queued tasks are dropped (releasing their captures), timers are invalidated.
    static RunLoop& current();
    // The loop of the thread that called `initMainThread()`. It is never destroyed.
    static RunLoop& main();

    explicit RunLoop(Passkey);
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // Whether this is the calling thread's loop.
    bool isCurrent() const;
    // Whether this is the main thread's loop (which closes only when the process exits).
    bool isMain() const;

    // Queues `task` from any thread; posted tasks run in every mode, in the order posted. A task
    // posted to a loop whose thread has ended is dropped with a log line.
    void post(Task task);

    // Runs `task` on this loop and returns once it has run. When this is the calling thread's own
    // loop it runs inline at once. Returns false, without running it, when the loop's thread ends
    // (or has ended) before the task's turn; so a worker never hangs on a loop that is gone. A loop
    // that is alive but never runs again still blocks the caller: never call it from the main
    // thread towards a loop that is waiting on main.
    bool postAndWait(Task task);

    // Runs `task` once `delay` seconds of clock time have passed, when the loop runs `mode`. A
    // delay of 0 runs it on the next pass, after the tasks already queued. The task (and its
    // captures) is held until it has run or been cancelled. Safe from any thread.
    PerformHandle performAfter(double delay, Task task, std::string_view mode = RunLoopMode::Default);
    // As performAfter, but a loop whose thread has ended releases the task unrun without a log line:
    // for a caller whose task notices being dropped (its captures are released) and answers that.
    PerformHandle performAfterIfOpen(double delay, Task task, std::string_view mode = RunLoopMode::Default);

    // Adds `timer` in `mode` (again with another mode to service it in both). The loop holds the
    // timer until it is invalidated. A timer belongs to one loop; adding it to a second is ignored.
    void addTimer(const std::shared_ptr<Timer>& timer, std::string_view mode = RunLoopMode::Default);

    // Services posted tasks plus the timers, performs and sources registered in `mode`, in passes:
    // each pass runs the tasks queued so far, then every timer and perform already due, then the
    // ready socket completions. Returns true after the first pass that ran something, or once
    // `until` has passed. Returns false at once, having run nothing, when nothing is queued and
    // nothing is registered in the mode. Under a manual clock the wait ends only when I/O arrives,
    // a task is posted, or the clock is advanced.
    bool runMode(std::string_view mode, Date until);

    // Service the Default mode until the time has passed or `stop()` is called. Unlike `runMode`
    // they keep waiting for posted tasks even when nothing is registered.
    void runFor(double seconds);
    void runUntil(Date date);
    void run(); // until stop()
    // Services the Default mode until `keepRunning` returns false, asking it after every pass that ran
    // something and after every stop(). Whoever makes it false then calls stop(), which ends the wait;
    // should a run nested inside one of the loop's tasks take that stop, the pass holding the task
    // still ends and asks again, so the stop is never lost.
    void runWhile(const std::function<bool()>& keepRunning);

    // Makes the innermost running call on this loop return; if the loop is not running, the next
    // call returns at once. Safe from any thread.
    void stop();

    // Pass observers run on the loop's thread at the end of every pass (also one that ran nothing),
    // in the order added; the view system runs its layout and display passes from one. Work they
    // post runs in a later pass. Add and remove from any thread; ids are never reused.
    uint64_t addPassObserver(Task observer);
    void removePassObserver(uint64_t id);

    // Test drivers (defined in testing/loop_driver.cpp, linked only into test binaries). Each is
    // called on the loop's own thread and services the Default and Common modes.
    //
    // Moves a manual clock forward by `dt`: repeatedly fires the earliest timer or delayed perform
    // due inside the window (setting the clock to its deadline) and drains posted tasks, then sets
    // the clock to the window's end. Timers created during the window fire in it too.
    void advance(double dt);
    // Runs posted tasks, due timers and ready sources until a pass runs nothing; time stays still.
    void runUntilIdle();
    // Pumps the loop, waiting in real time for I/O and posts, until `pred` holds or `realTimeout`
    // seconds of real time have passed; manual time stays frozen. Returns whether `pred` held.
    bool pumpUntil(const std::function<bool()>& pred, double realTimeout = 5.0);

private:
    friend class Timer;
    friend class PerformHandle;
    friend void initMainThread();
    friend bool testing::settle(double);
    friend detail::LoopIo& detail::loopIo(RunLoop& loop);

    using Key = std::pair<double, uint64_t>; // deadline (monotonic), insertion order
    struct Entry {
        std::shared_ptr<Timer> timer;
        std::shared_ptr<detail::Perform> perform;
        std::vector<std::string> modes;
    };
    enum class Outcome { Ran, TimedOut, Empty, Stopped };
    struct Holder; // owns a thread's loop and closes it when the thread ends
    static thread_local Holder holder_;

    static void adoptCurrentAsMain();
    static std::shared_ptr<RunLoop> create();

    PerformHandle schedulePerform(double delay, Task task, std::string_view mode, bool warnWhenClosed);
    Outcome runOnce(std::string_view mode, double until, bool waitWhenEmpty);
    int pass(std::string_view mode, bool* socketsRegistered);
    int drainPosted();
    void notifyPassObservers();
    int pollSockets(bool* socketsRegistered);
    // Waits (in real time, at most `seconds`) for a wake newer than `seen`; true when a socket
    // completion ran meanwhile.
    bool block(std::string_view mode, double seconds, uint64_t seen);
    void wake();
    void close();

    // Deadline heap.
    static bool matches(const Entry& entry, std::string_view mode);
    Key insertLocked(double deadline, Entry entry);
    bool takeDue(std::string_view mode, double now, uint64_t limit, Entry* out);
    bool takeEarliest(std::string_view mode, double end, Key* key, Entry* out);
    bool hasEntriesLocked(std::string_view mode) const;
    double nextDeadlineLocked(std::string_view mode) const;
    void fire(Entry& entry, double deadline);
    void removeTimer(Timer& timer);
    void cancelPerform(detail::Perform& perform);
    bool idleForSettle() const;
    // Whether every loop but the calling thread's is idle (see testing::settle).
    static bool othersIdle();

    const std::thread::id owner_;
    // Sockets registered with the loop; fnd's socket code reaches it through run_loop_io.h.
    const std::unique_ptr<detail::LoopIo> io_;

    mutable std::mutex mutex_;
    std::condition_variable wakeCv_;
    std::deque<Task> posted_;
    std::vector<std::pair<uint64_t, std::shared_ptr<Task>>> passObservers_;
    uint64_t nextObserverId_ = 1;
    std::map<Key, Entry> schedule_;
    uint64_t nextSeq_ = 0;
    uint64_t wakeSeq_ = 0;
    bool closed_ = false;
    bool waiting_ = false;  // blocked in block()
    uint64_t waitSeen_ = 0; // the wake sequence that wait started from
    int runDepth_ = 0;      // nested run calls in progress

    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> wakePending_{false}; // a wake handler is queued on the I/O context
    uint64_t wakesRun_ = 0;                // wake handlers run on the I/O context (loop thread only)
    uint64_t clockWaiter_ = 0;
};

} // namespace fnd
