// The failure path of VERIFY: one Error record, then abort.
#include "platform/foundation/verify.h"

#include <cstdio>
#include <cstdlib>

namespace fnd {

void verifyFailed(std::string_view condition, const LogSite& site) {
    const LogRecord record{LogLevel::Error, site, format("VERIFY(%@) failed", condition)};
    const bool written = writeLog(record).has_value();
    if (!logToStderr() || !written) {
        // The process is about to end: the reason reaches stderr even where the log was kept quiet (or
        // its site had used up its lines).
        std::fprintf(stderr, "%s\n", renderLogLine(record).c_str());
    }
    std::abort();
}

} // namespace fnd
