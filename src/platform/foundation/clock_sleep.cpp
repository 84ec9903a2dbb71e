// ClockSleep: a condition variable woken by the clock's waiters and by interrupt().
#include "platform/foundation/clock_sleep.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/foundation/clock.h"

namespace fnd {
namespace {

// Longest single wait under a system clock. A longer one (or an infinite sleep) would overflow the
// condition variable's nanosecond deadline, which then lies in the past: the sleep would spin.
constexpr double kMaxSingleWait = 3600.0;

} // namespace

struct ClockSleep::State {
    std::mutex mutex;
    std::condition_variable cv;
    bool interrupted = false;
};

ClockSleep::ClockSleep() : state_(std::make_shared<State>()) {}

bool ClockSleep::sleepFor(double seconds) {
    Clock& clock = Clock::current();
    const double deadline = clock.monotonicTime() + (seconds > 0 ? seconds : 0);

    // The waiter takes the mutex before notifying, so an advance that lands between our check of the
    // clock and our wait cannot be missed.
    auto token = Clock::addWaiter([state = state_] {
        std::lock_guard lock(state->mutex);
        state->cv.notify_all();
    });
    ManualClock* manual = clock.isManual() ? static_cast<ManualClock*>(&clock) : nullptr;
    if (manual) {
        manual->sleeperEntered();
    }
    bool slept;
    {
        std::unique_lock lock(state_->mutex);
        for (;;) {
            if (state_->interrupted) {
                break;
            }
            if (&Clock::current() != &clock) {
                break; // another clock was installed: its readings do not compare with ours
            }
            double now = clock.monotonicTime();
            if (now >= deadline) {
                break;
            }
            if (manual) {
                state_->cv.wait(lock);
            } else {
                state_->cv.wait_for(lock, std::chrono::duration<double>(std::min(deadline - now, kMaxSingleWait)));
            }
        }
        slept = !state_->interrupted;
    }
    if (manual) {
        manual->sleeperLeft();
    }
    Clock::removeWaiter(token);
    return slept;
}

void ClockSleep::interrupt() {
    {
        std::lock_guard lock(state_->mutex);
        state_->interrupted = true;
    }
    state_->cv.notify_all();
}

void ClockSleep::reset() {
    std::lock_guard lock(state_->mutex);
    state_->interrupted = false;
}

} // namespace fnd
