// The failure path of VERIFY: one Error record, then abort.
#include "platform/foundation/verify.h"

#include <cstdio>
#include <cstdlib>

namespace fnd {

void verifyFailed(std::string_view condition, const LogSite& site) {
    std::string line = writeLog(LogRecord{LogLevel::Error, site, format("VERIFY(%@) failed", condition)});
    if (!logToStderr()) {
        // The process is about to end: the reason reaches stderr even where the log was kept quiet.
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    std::abort();
}

} // namespace fnd
