// Timer creation, firing, invalidation and the repeat grid; the loop side lives in run_loop.cpp.
#include "platform/foundation/timer.h"

#include <cmath>

#include "platform/foundation/clock.h"

namespace fnd {
namespace {

// A repeating timer needs a positive interval or it would be due forever at the same instant.
constexpr double kMinRepeatInterval = 0.0001;

double effectiveInterval(double interval, Repeats repeats) {
    if (!(interval >= 0)) {
        interval = 0; // negative or NaN
    }
    if (repeats == Repeats::Yes && interval < kMinRepeatInterval) {
        return kMinRepeatInterval;
    }
    return interval;
}

} // namespace

Timer::Timer(Passkey, double interval, Repeats repeats, Callback fn, Value userInfo)
    : interval_(effectiveInterval(interval, repeats)), repeats_(repeats), userInfo_(std::move(userInfo)),
      firstFire_(Clock::monotonic() + interval_), fn_(std::move(fn)) {}

std::shared_ptr<Timer> Timer::create(double interval, Repeats repeats, Callback fn, Value userInfo) {
    return std::make_shared<Timer>(Passkey{}, interval, repeats, std::move(fn), std::move(userInfo));
}

std::shared_ptr<Timer> Timer::scheduled(double interval, Repeats repeats, Callback fn, Value userInfo) {
    auto timer = create(interval, repeats, std::move(fn), std::move(userInfo));
    RunLoop::current().addTimer(timer, RunLoopMode::Default);
    return timer;
}

void Timer::invalidate() {
    // Cleared before the loop is asked, so a loop rescheduling this timer concurrently sees it.
    valid_ = false;
    Callback released;
    std::shared_ptr<RunLoop> loop;
    {
        std::lock_guard lock(mutex_);
        released = std::move(fn_);
        fn_ = nullptr;
        loop = loop_.lock();
    }
    if (loop) {
        loop->removeTimer(*this);
    }
    // `released` (and its captures) goes here, outside every lock.
}

void Timer::fire() {
    if (!valid_.load()) {
        return;
    }
    Callback fn;
    {
        std::lock_guard lock(mutex_);
        fn = fn_; // a copy: the callback may invalidate (and so release) the timer's own
    }
    if (fn) {
        fn(*this);
    }
    if (repeats_ == Repeats::No) {
        invalidate();
    }
}

double Timer::nextDeadlineAfter(double time) const {
    double k = std::floor((time - firstFire_) / interval_) + 1;
    if (k < 1) {
        k = 1;
    }
    double next = firstFire_ + k * interval_;
    while (next <= time) { // guards against rounding in the division
        k += 1;
        next = firstFire_ + k * interval_;
    }
    return next;
}

} // namespace fnd
