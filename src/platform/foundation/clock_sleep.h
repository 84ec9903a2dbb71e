// ClockSleep: a sleep that obeys the process clock (a manual clock only wakes it when advanced) and
// that another thread can cut short, for worker threads that must stop promptly.
#pragma once

#include <memory>

namespace fnd {

class ClockSleep {
public:
    ClockSleep();

    // Blocks the calling thread for `seconds` of clock time, counting itself in
    // `ManualClock::sleepers()` meanwhile. Returns false, at once or as soon as it happens, when
    // interrupt() has been called (and not reset since); true when the time passed.
    bool sleepFor(double seconds);
    // Ends every sleep in progress and makes later ones return false until reset(). Any thread.
    void interrupt();
    void reset();

private:
    struct State;
    // Shared with the clock's waiter callback, which may still run just after a sleep has ended.
    std::shared_ptr<State> state_;
};

} // namespace fnd
