// The Marlin interstitial client: its ad bridge server and page hosts under its endpoint.
#include <memory>

#include "ads/marlin/marlin_context.h"
#include "app/wiring/networks.h"

namespace zelvan::app {

void installMarlin(AppRegistry& registry, const NetworkEndpoint& endpoint) {
    registry.marlin.factory = [endpoint](zelvanAppDelegate& delegate) {
        return std::make_shared<marlin::MarlinContext>(endpoint, delegate.service(&AppRegistry::reachability));
    };
}

} // namespace zelvan::app
