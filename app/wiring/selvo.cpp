// The Selvo ad client: its servers under its endpoint, over the one reachability monitor, its operations on
// the shared worker pool.
#include <utility>

#include "ads/selvo/selvo_wiring.h"
#include "app/wiring/networks.h"

namespace zelvan::app {

void installSelvo(AppRegistry& registry, const NetworkEndpoint& endpoint) {
    registry.selvo.factory = [endpoint](zelvanAppDelegate& delegate) {
        selvo::SelvoConfig config;
        config.endpoint = endpoint;
        return selvo::makeSelvo(delegate.service(&AppRegistry::reachability), std::move(config),
                                delegate.service(&AppRegistry::workerPool));
    };
}

} // namespace zelvan::app
