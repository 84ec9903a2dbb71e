// Deterministic drivers for run loops under a manual clock, and the real-time pump and settle used
// with loopback I/O and background threads.
#include "platform/foundation/testing/loop_driver.h"

#include <chrono>
#include <string>
#include <thread>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"

namespace fnd {
namespace {

// A task that keeps reposting itself would otherwise keep runUntilIdle busy forever.
constexpr int kMaxIdlePasses = 100000;
// pumpUntil re-checks its predicate at least this often, for state other threads change without
// posting to the loop.
constexpr double kPumpSlice = 0.01;

} // namespace

void RunLoop::runUntilIdle() {
    if (!isCurrent()) {
        ZLOG(Warn, "RunLoop::runUntilIdle: called from a thread that does not own the loop; ignored");
        return;
    }
    for (int i = 0; i < kMaxIdlePasses; ++i) {
        if (pass(RunLoopMode::Default, nullptr) == 0) {
            return;
        }
    }
    ZLOG(Warn, "RunLoop::runUntilIdle: still busy after %d passes", kMaxIdlePasses);
}

void RunLoop::advance(double dt) {
    if (!isCurrent()) {
        ZLOG(Warn, "RunLoop::advance: called from a thread that does not own the loop; ignored");
        return;
    }
    ManualClock* clock = ManualClock::installed();
    if (!clock) {
        ZLOG(Warn, "RunLoop::advance: needs a manual clock; nothing done");
        return;
    }
    if (!(dt > 0)) {
        dt = 0;
    }
    const double end = clock->monotonicTime() + dt;
    runUntilIdle();
    Key key;
    Entry entry;
    int fired = 0;
    while (takeEarliest(RunLoopMode::Default, end, &key, &entry)) {
        clock->advanceTo(key.first);
        fire(entry, key.first);
        entry = Entry{};
        runUntilIdle();
        if (++fired == kMaxIdlePasses) {
            // A perform that re-arms itself at delay 0 never lets the window end otherwise.
            ZLOG(Warn, "RunLoop::advance: stopped after %d timers in one window", fired);
            break;
        }
    }
    clock->advanceTo(end);
    runUntilIdle();
}

bool RunLoop::pumpUntil(const std::function<bool()>& pred, double realTimeout) {
    if (!isCurrent()) {
        ZLOG(Warn, "RunLoop::pumpUntil: called from a thread that does not own the loop; ignored");
        return false;
    }
    using std::chrono::steady_clock;
    const auto start = steady_clock::now();
    for (;;) {
        if (pred()) {
            return true;
        }
        uint64_t seen;
        double next;
        {
            std::lock_guard lock(mutex_);
            seen = wakeSeq_;
        }
        if (pass(RunLoopMode::Default, nullptr) > 0) {
            continue;
        }
        {
            std::lock_guard lock(mutex_);
            next = nextDeadlineLocked(RunLoopMode::Default);
        }
        double elapsed = std::chrono::duration<double>(steady_clock::now() - start).count();
        if (elapsed >= realTimeout) {
            return pred();
        }
        double wait = std::min(realTimeout - elapsed, kPumpSlice);
        if (!Clock::manual()) {
            wait = std::min(wait, next - Clock::monotonic());
        }
        block(RunLoopMode::Default, wait, seen);
    }
}

namespace testing {

bool settle(double realTimeout) {
    using std::chrono::steady_clock;
    const auto start = steady_clock::now();
    int idleChecks = 0;
    for (;;) {
        // Two idle readings in a row, so a loop caught between two tasks is not taken for idle.
        idleChecks = RunLoop::othersIdle() ? idleChecks + 1 : 0;
        if (idleChecks >= 2) {
            return true;
        }
        if (std::chrono::duration<double>(steady_clock::now() - start).count() >= realTimeout) {
            ZLOG(Warn, "settle: other loops still busy after %f s", realTimeout);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace testing
} // namespace fnd
