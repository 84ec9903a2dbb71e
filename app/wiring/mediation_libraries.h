// The real Adwick, Selvo and Marlin clients behind the mediation's thin interfaces, and the mediation's
// full-page controller as the offer client drives it. Each client is reached through its registry slot
// when it is used; an empty slot makes that network have no ad.
#pragma once

#include <memory>

#include "core/zelvan_app_delegate.h"

namespace zelvan::mediation {
struct NetworkLibraries;
}
namespace zelvan::orvane {
class ORVFullPageAdsController;
}

namespace zelvan::app {

// The three clients of `delegate`'s registry, for the mediation's context (the delegate outlives the
// context, which lives in its registry).
std::shared_ptr<mediation::NetworkLibraries> makeNetworkLibraries(zelvanAppDelegate& delegate);

// The full-page controller of `delegate`'s mediation as the offer client's (null without a mediation).
std::shared_ptr<orvane::ORVFullPageAdsController> makeFullPageController(zelvanAppDelegate& delegate);

} // namespace zelvan::app
