// ORVIconReads: the bounded reader of row icons. Each read is one fnd::fetch started on the main run loop
// (the transfer itself runs on the transport's thread) with a 30 s limit and a 1 MiB body cap; at
// most kMaxInFlight reads run at once and the rest wait in the order they were asked for. Completions run
// on the main run loop. Main thread.
#pragma once

#include <functional>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"

namespace zelvan::orvane {

class ORVIconReads {
public:
    static constexpr int kMaxInFlight = 4;
    static constexpr double kTimeout = 30.0;
    static constexpr size_t kMaxBodyBytes = 1024 * 1024;

    // The bytes of a reply below 400, or why there are none.
    using Completion = std::function<void(fnd::Result<fnd::Bytes>)>;

    // Queues a read of `urlText`; a text that forms no http(s) or file URL fails (on the run loop, never
    // inside the call).
    static void read(const std::string& urlText, Completion completion);

    static int inFlight();
    static int waiting();
    // The most reads that ran at once since the last reset (for tests).
    static int peakInFlight();
    static void resetPeak();
    // Reads that brought bytes and reads that failed, since the process started.
    static int succeeded();
    static int failed();
};

} // namespace zelvan::orvane
