// Test drivers for run loops: `RunLoop::advance`, `runUntilIdle` and `pumpUntil` are members of
// RunLoop (declared in run_loop.h, defined with this file so only tests link them); `settle`
// waits until the loops of other threads have gone idle.
#pragma once

#include "platform/foundation/run_loop.h"

namespace fnd::testing {

// Waits, for at most `realTimeout` seconds of real time, until the loop of every thread other
// than the caller's is idle: nothing queued, and either blocked waiting with no wake pending or
// not running with nothing due. Returns false (and logs) on timeout.
bool settle(double realTimeout = 5.0);

} // namespace fnd::testing
