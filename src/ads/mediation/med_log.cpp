// The mediation's log front over the one log, its threshold from the context.
#include "ads/mediation/med_log.h"

#include "ads/mediation/mediation_context.h"

namespace zelvan::mediation {

int medLogThreshold() {
    auto shared = context();
    return shared ? shared->logThreshold() : MediationContext::kDefaultLogThreshold;
}

void medLogWrite(int level, const fnd::LogSite& site, const std::string& text) {
    const fnd::LogLevel as = level <= 3 ? fnd::LogLevel::Warn : fnd::LogLevel::Debug;
    fnd::logAt(as, site, "[Log Level: %d]; %@", level, text);
}

std::string_view medSourceName(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace zelvan::mediation
