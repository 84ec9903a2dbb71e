// The Tallio analytics client: its session report goes to its endpoint.
#include <memory>

#include "analytics/tallio/report_sender.h"
#include "analytics/tallio/tallio_context.h"
#include "analytics/tallio/tallio_wiring.h"
#include "app/wiring/networks.h"

namespace zelvan::app {

void installTallio(AppRegistry& registry, const NetworkEndpoint& endpoint) {
    registry.tallio.factory = [endpoint](zelvanAppDelegate&) {
        return tallio::makeTallio(endpoint, std::make_shared<tallio::UrlReportSender>());
    };
}

} // namespace zelvan::app
