// The note of a network whose client is missing.
#include "ads/mediation/network_libraries.h"

#include "ads/mediation/med_log.h"
#include "platform/foundation/log.h"

namespace zelvan::mediation {

void NetworkLibraries::noteMissingClient(const std::string& network) {
    if (missing_.insert(network).second) {
        ZLOG_TO(kMediationLog, Info, "mediation: no %s client in this run, so it has no ad", network);
    }
}

} // namespace zelvan::mediation
