// The installed clock, the system and manual clocks, and the registry of waiters.
#include "platform/foundation/clock.h"

#include <chrono>
#include <map>
#include <vector>

namespace fnd {
namespace {

struct ClockState {
    std::mutex mutex;
    std::vector<std::shared_ptr<Clock>> keepAlive;
    std::map<Clock::WaiterToken, std::function<void()>> waiters;
    Clock::WaiterToken nextToken = 1;
};

ClockState& state() {
    static ClockState* s = new ClockState; // never destroyed: threads may read the clock at exit
    return *s;
}

SystemClock& systemClock() {
    static SystemClock* clock = new SystemClock;
    return *clock;
}

std::atomic<Clock*> installed{nullptr};

} // namespace

Clock& Clock::current() {
    Clock* c = installed.load(std::memory_order_acquire);
    return c ? *c : systemClock();
}

Date Clock::now() {
    return current().wallTime();
}

double Clock::monotonic() {
    return current().monotonicTime();
}

bool Clock::manual() {
    return current().isManual();
}

void Clock::install(std::shared_ptr<Clock> clock) {
    auto& s = state();
    {
        std::lock_guard lock(s.mutex);
        if (clock) {
            s.keepAlive.push_back(clock);
        }
        installed.store(clock.get(), std::memory_order_release);
    }
    wakeWaiters();
}

Clock::WaiterToken Clock::addWaiter(std::function<void()> wake) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    WaiterToken token = s.nextToken++;
    s.waiters.emplace(token, std::move(wake));
    return token;
}

void Clock::removeWaiter(WaiterToken token) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.waiters.erase(token);
}

void Clock::wakeWaiters() {
    auto& s = state();
    std::vector<std::function<void()>> toCall;
    {
        std::lock_guard lock(s.mutex);
        toCall.reserve(s.waiters.size());
        for (auto& [token, fn] : s.waiters) {
            toCall.push_back(fn);
        }
    }
    for (auto& fn : toCall) {
        fn();
    }
}

Date SystemClock::wallTime() const {
    using namespace std::chrono;
    double unix = duration<double>(system_clock::now().time_since_epoch()).count();
    return Date::fromUnix(unix);
}

double SystemClock::monotonicTime() const {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

Date ManualClock::wallTime() const {
    std::lock_guard lock(mutex_);
    return Date(kStartReference + (monotonic_ - kStartMonotonic));
}

double ManualClock::monotonicTime() const {
    std::lock_guard lock(mutex_);
    return monotonic_;
}

void ManualClock::advance(double dt) {
    if (dt > 0) {
        std::lock_guard lock(mutex_);
        monotonic_ += dt;
    }
    Clock::wakeWaiters();
}

void ManualClock::advanceTo(double monotonic) {
    {
        std::lock_guard lock(mutex_);
        if (monotonic > monotonic_) {
            monotonic_ = monotonic;
        }
    }
    Clock::wakeWaiters();
}

ManualClock* ManualClock::installed() {
    Clock& c = Clock::current();
    return c.isManual() ? static_cast<ManualClock*>(&c) : nullptr;
}

std::shared_ptr<ManualClock> ManualClock::install() {
    auto clock = std::make_shared<ManualClock>();
    Clock::install(clock);
    return clock;
}

} // namespace fnd
