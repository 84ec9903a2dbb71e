// The offer network's log front: its threshold lives in the context, its lines go to the one log.
#include "offers/orvane/client/orv_log.h"

#include "offers/orvane/client/orvane_context.h"

namespace zelvan::orvane {

int ORVLog::logThreshold() {
    auto shared = context();
    return shared ? shared->logThreshold() : OrvaneContext::kDefaultLogThreshold;
}

void ORVLog::setLogThreshold(int level) {
    if (auto shared = context()) {
        shared->setLogThreshold(level);
    }
}

std::string_view ORVLog::sourceName(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void ORVLog::write(int level, const fnd::LogSite& site, const std::string& text) {
    const fnd::LogLevel as = level <= 3 ? fnd::LogLevel::Warn : fnd::LogLevel::Debug;
    fnd::logAt(as, site, "[Log Level: %d]; %@", level, text);
}

} // namespace zelvan::orvane
