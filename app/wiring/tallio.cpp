// The Tallio analytics client: its session report goes to its endpoint.
#include <memory>

#include "analytics/tallio/report_sender.h"
#include "analytics/tallio/tallio_context.h"
#include "app/wiring/networks.h"

namespace zelvan::app {

void installTallio(AppRegistry& registry, const NetworkEndpoint& endpoint) {
    registry.tallio.factory = [endpoint](zelvanAppDelegate&) {
        return std::make_shared<tallio::TallioContext>(endpoint, std::make_shared<tallio::UrlReportSender>());
    };
}

} // namespace zelvan::app
