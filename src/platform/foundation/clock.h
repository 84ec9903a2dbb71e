// The process-wide source of time. Production uses the system clock; tests install a ManualClock
// that only moves when told to, and everything that waits for time (run loops, timers, sleeps)
// registers as a waiter so it wakes when a manual clock advances.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/foundation/date.h"

namespace fnd {

class Clock {
public:
    virtual ~Clock() = default;

    // Wall time, and a monotonic reading in seconds for intervals and deadlines.
    virtual Date wallTime() const = 0;
    virtual double monotonicTime() const = 0;
    virtual bool isManual() const { return false; }

    // Readings of the installed clock.
    static Date now();
    static double monotonic();
    static bool manual();

    // The installed clock; `install(nullptr)` restores the system clock. A replaced clock stays
    // alive until exit, so a thread still reading it never sees a dangling object.
    static Clock& current();
    static void install(std::shared_ptr<Clock> clock);

    // Anything that blocks until a deadline registers a wake callback; a manual clock calls every
    // callback after it moves. Callbacks run on the advancing thread with no clock lock held and
    // must only signal (notify a condition, post to a loop).
    using WaiterToken = uint64_t;
    static WaiterToken addWaiter(std::function<void()> wake);
    static void removeWaiter(WaiterToken token);
    static void wakeWaiters();
};

class SystemClock final : public Clock {
public:
    Date wallTime() const override;
    double monotonicTime() const override;
};

// Starts at 2010-01-01 00:00:00 UTC with monotonic reading 1000.0.
class ManualClock final : public Clock {
public:
    static constexpr double kStartMonotonic = 1000.0;
    static constexpr double kStartReference = 283996800.0; // 2010-01-01 00:00:00 UTC

    Date wallTime() const override;
    double monotonicTime() const override;
    bool isManual() const override { return true; }

    // Moves both readings forward by `dt` seconds (negative values are ignored), then wakes waiters.
    void advance(double dt);
    // Moves to an absolute monotonic reading if it lies ahead, then wakes waiters.
    void advanceTo(double monotonic);

    // Threads currently blocked in a clock-driven sleep, so a test can wait until a worker has
    // reached its sleep before it advances the clock.
    int sleepers() const { return sleepers_.load(); }
    void sleeperEntered() { ++sleepers_; }
    void sleeperLeft() { --sleepers_; }

    // The installed clock when it is a manual one, else null.
    static ManualClock* installed();

    // Installs a fresh manual clock as the process clock and returns it.
    static std::shared_ptr<ManualClock> install();

private:
    mutable std::mutex mutex_;
    // The monotonic reading itself (not an offset), so advanceTo(t) reads back exactly t and a
    // deadline reached by advancing counts as due.
    double monotonic_ = kStartMonotonic;
    std::atomic<int> sleepers_{0};
};

} // namespace fnd
