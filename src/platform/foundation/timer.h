// Timers fired by a run loop: one-shot or repeating at fixed multiples of the interval, held by
// the loop until invalidated.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>

#include "platform/foundation/run_loop.h"
#include "platform/foundation/value.h"

namespace fnd {

enum class Repeats { No, Yes };

class Timer : public std::enable_shared_from_this<Timer> {
public:
    using Callback = std::function<void(Timer&)>;
    struct Passkey {
    private:
        friend class Timer;
        Passkey() = default;
    };

    // A timer first due `interval` seconds from now, added to the current thread's loop in the
    // Default mode.
    static std::shared_ptr<Timer> scheduled(double interval, Repeats repeats, Callback fn, Value userInfo = {});
    // The same timer, not yet on any loop: add it with `RunLoop::addTimer(timer, mode)`.
    static std::shared_ptr<Timer> create(double interval, Repeats repeats, Callback fn, Value userInfo = {});

    Timer(Passkey, double interval, Repeats repeats, Callback fn, Value userInfo);

    // Removes the timer from its loop and releases the callback (and whatever it captures). Safe
    // from any thread; a timer that is firing on its loop's thread finishes that call.
    void invalidate();
    bool isValid() const { return valid_.load(); }

    // Runs the callback now, on the calling thread, without changing the schedule of a repeating
    // timer; a one-shot timer is invalidated afterwards. Does nothing once invalidated.
    void fire();

    const Value& userInfo() const { return userInfo_; }
    double timeInterval() const { return interval_; }
    bool repeats() const { return repeats_ == Repeats::Yes; }

private:
    friend class RunLoop;

    // The next deadline after `time`: the first fire date plus the smallest whole number of
    // intervals that lies beyond it, so a late loop fires once and then keeps to the grid.
    double nextDeadlineAfter(double time) const;

    const double interval_;
    const Repeats repeats_;
    const Value userInfo_;
    const double firstFire_; // monotonic

    mutable std::mutex mutex_;
    Callback fn_;
    std::atomic<bool> valid_{true};

    // Set once when added to a loop; the key is guarded by that loop's mutex.
    std::weak_ptr<RunLoop> loop_;
    bool scheduledIn_ = false;
    std::pair<double, uint64_t> key_{};
};

} // namespace fnd
