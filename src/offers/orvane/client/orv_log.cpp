// The offer network's log front: one threshold for the process, its lines go to the one log.
#include "offers/orvane/client/orv_log.h"

#include <atomic>

namespace zelvan::orvane {

namespace {

std::atomic<int> threshold{ORVLog::kDefaultThreshold};

} // namespace

int ORVLog::logThreshold() {
    return threshold.load();
}

void ORVLog::setLogThreshold(int level) {
    threshold.store(level);
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
