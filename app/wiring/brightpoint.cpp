// The Brightpoint offer wall: its context (icon cache, the registry's worker pool, client with the
// offer-wall API server under its endpoint, made by the library's wiring) and the "brightpoint" feature,
// which gives the client the publisher key and the user's id.
#include <memory>
#include <string>

#include "app/wiring/networks.h"
#include "offers/brightpoint/brightpoint.h"
#include "offers/brightpoint/brightpoint_context.h"
#include "offers/brightpoint/brightpoint_wiring.h"

namespace zelvan::app {

void installBrightpoint(AppRegistry& registry, const NetworkEndpoint& endpoint) {
    registry.brightpoint.factory = [endpoint](zelvanAppDelegate& delegate) {
        return brightpoint::makeBrightpoint(endpoint, delegate.service(&AppRegistry::workerPool));
    };
    registry.adFeatureStarters["brightpoint"] = [](zelvanAppDelegate& delegate, const LoginSession& session) {
        if (auto ctx = delegate.service(&AppRegistry::brightpoint)) {
            auto client = ctx->client();
            if (!client) {
                return;
            }
            client->setKey("Qm4RtzWpLak72HVbYUXEnfgsPuzKoqjd");
            client->setUID(std::to_string(session.userId));
        }
    };
}

} // namespace zelvan::app
