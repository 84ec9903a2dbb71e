// The ad, offer, analytics and store networks' wiring: one install function per network, each filling the
// network's registry slots (its context, made with its endpoint, and the feature starters that switch it
// on for a user). makeRegistry calls them in this order: the mediation reads the offer client's slot, and
// the shared ad view's banner rule wraps the Adwick view.
#pragma once

#include "core/app_registry.h"
#include "core/network_endpoint.h"
#include "core/zelvan_app_delegate.h"

namespace zelvan::app {

void installOrvane(AppRegistry& registry, const NetworkEndpoint& endpoint);
void installSelvo(AppRegistry& registry, const NetworkEndpoint& endpoint);
void installKavlo(AppRegistry& registry, const NetworkEndpoint& endpoint);
void installAdwick(AppRegistry& registry, const NetworkEndpoint& endpoint);
void installBrightpoint(AppRegistry& registry, const NetworkEndpoint& endpoint);
void installTallio(AppRegistry& registry, const NetworkEndpoint& endpoint);
void installMarlin(AppRegistry& registry, const NetworkEndpoint& endpoint);
// The mediation reaches several networks' hosts, each under its own prefix of the endpoint's base.
void installMediation(AppRegistry& registry, const NetworkEndpoint& endpoint);

} // namespace zelvan::app
