// The Kavlo analytics client: its data server under its endpoint (without one events are stored, never
// sent); "kavlo" in the feature list starts it and, unless an earlier banner network of the list took the
// shared ad view, puts a Kavlo banner into it.
#include "analytics/kavlo/kavlo_context.h"
#include "analytics/kavlo/kavlo_controller.h"
#include "analytics/kavlo/kavlo_wiring.h"
#include "app/wiring/banner_slot.h"
#include "app/wiring/mediation.h"
#include "app/wiring/networks.h"

namespace zelvan::app {

void installKavlo(AppRegistry& registry, const NetworkEndpoint& endpoint) {
    registry.kavlo.factory = [endpoint](zelvanAppDelegate& delegate) {
        return kavlo::makeKavlo(delegate.service(&AppRegistry::reachability), endpoint);
    };
    registry.adFeatureStarters["kavlo"] =
        bannerFeature([](zelvanAppDelegate& delegate) { return bannerSourceFor(delegate, "kavlo"); },
                      [](zelvanAppDelegate&, const LoginSession&) { kavlo::Kavlo::start(); });
}

} // namespace zelvan::app
