// The busy-retry rule of the Selvo SQLite front: after each busy result a 20-microsecond sleep and another
// try; with a limit N the call gives up at the (N+2)-th busy result in a row, and 0 means no limit.
#pragma once

#include <chrono>
#include <thread>

#include "platform/foundation/error.h"
#include "platform/foundation/sql_database.h"

namespace zelvan::selvo::sqlbusy {

// Whether an error is SQLite's busy result (its low byte is SQLITE_BUSY).
inline bool isBusy(const fnd::Error& error) {
    return error.domain() == fnd::kSqlErrorDomain && (error.code() & 0xFF) == fnd::kSqlCodeBusy;
}

// Runs `attempt` (returning a fnd::Result) until it gives anything but busy and returns that; `gaveUp`
// tells whether the limit was passed (the busy result is then returned), `busyCount` how many busy
// results came in a row. The sleep is a real one: a manual clock must not stall it.
template <class Attempt>
auto retry(int limit, int& busyCount, bool& gaveUp, Attempt&& attempt) -> decltype(attempt()) {
    int counter = 0;
    busyCount = 0;
    gaveUp = false;
    for (;;) {
        auto result = attempt();
        if (result.ok() || !isBusy(result.error())) {
            return result;
        }
        ++busyCount;
        if (limit != 0 && counter > limit) {
            gaveUp = true;
            return result;
        }
        ++counter;
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
}

} // namespace zelvan::selvo::sqlbusy
