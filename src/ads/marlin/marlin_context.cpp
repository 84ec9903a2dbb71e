// MarlinContext: the addresses under the client's endpoint, the reachability monitor, and the way to the
// context: the `marlin` slot of the installed application delegate.
#include "ads/marlin/marlin_context.h"

#include <utility>

#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"
#include "reachability/reachability.h"

namespace zelvan::marlin {

MarlinContext::MarlinContext(const NetworkEndpoint& endpoint, std::shared_ptr<Reachability> reachability)
    : reachability_(std::move(reachability)) {
    addresses_.defaultServer = endpoint.url("/AdBridgeServer");
    addresses_.storeURL = endpoint.url("/store");
    addresses_.mapsURL = endpoint.url("/maps");
    addresses_.videoURL = endpoint.url("/video");
}

MarlinContext::~MarlinContext() = default;

const std::shared_ptr<Reachability>& MarlinContext::reachability() {
    if (!reachability_) {
        reachability_ = std::make_shared<Reachability>();
    }
    return reachability_;
}

std::shared_ptr<MarlinContext> MarlinContext::context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->service(&AppRegistry::marlin) : nullptr;
}

} // namespace zelvan::marlin
