// Process signals (SIGINT, SIGTERM, ...) delivered as a task on a run loop, so a program can stop
// its loop cleanly when it is interrupted.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>

#include "platform/foundation/run_loop.h"

namespace fnd {

class SignalWatcher {
public:
    using Handler = std::function<void(int signal)>;

    // Catches `signals` for as long as the watcher lives. The first of them to arrive runs
    // `handler(signal)` once on `loop`'s thread, while the loop runs Default or Common; later
    // ones are caught and ignored. A signal that cannot be caught is logged and left alone. The
    // watcher must be destroyed before the loop.
    SignalWatcher(RunLoop& loop, std::initializer_list<int> signals, Handler handler);
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // The handler will not run any more; the signals stay caught until the watcher goes.
    void cancel();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace fnd
