// The banner mediation's wiring: its context over the offer client, the offer client's controller
// registry over the mediation, the application's custom-ad promotion, and the page ad slot's rule (the
// first banner network of the feature list that offers a source fills the shared ad view).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ads/ad_source.h"
#include "ads/mediation/house_ad_service.h"
#include "core/app_registry.h"
#include "core/zelvan_app_delegate.h"

namespace zelvan::orvane {
class OrvaneContext;
}

namespace zelvan::app {

// Puts `source` into the shared ad view unless an earlier banner network of the same user's feature list
// did; true when it was put in.
bool claimBannerSlot(zelvanAppDelegate& delegate, const LoginSession& session, std::shared_ptr<AdSource> source);

// A fresh banner source of the named network ("adwick", "kavlo" or "orvane"), or null when that network is not
// set up.
std::shared_ptr<AdSource> bannerSourceFor(zelvanAppDelegate& delegate, std::string_view network);

// The house-ad service over the offer client's context that `offers` returns when asked (null: no service
// base): its service base, fetcher and reply parser.
std::shared_ptr<mediation::HouseAdService>
makeHouseAdService(std::function<std::shared_ptr<orvane::OrvaneContext>()> offers);

} // namespace zelvan::app
