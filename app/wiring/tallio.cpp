// The Tallio analytics client: its session reports go to its endpoint, from the registry's worker pool.
#include <memory>

#include "analytics/tallio/report_sender.h"
#include "analytics/tallio/tallio_context.h"
#include "analytics/tallio/tallio_wiring.h"
#include "app/wiring/networks.h"

namespace zelvan::app {

void installTallio(AppRegistry& registry, const NetworkEndpoint& endpoint) {
    registry.tallio.factory = [endpoint](zelvanAppDelegate& delegate) {
        return tallio::makeTallio(endpoint, std::make_shared<tallio::UrlReportSender>(),
                                  delegate.service(&AppRegistry::workerPool));
    };
}

} // namespace zelvan::app
