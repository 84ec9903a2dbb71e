// What the shared ad view's banners asked the ad server for and what they show, as text lines for the
// demo's summary (the demo may not reach into the ad networks itself): the Adwick banner, the banner the
// mediation shows in its host view, and what the mediation asked of the offer network.
#pragma once

#include <string>
#include <vector>

#include "core/zelvan_app_delegate.h"

namespace zelvan::app {

// Empty when the shared ad view shows no Adwick banner.
std::vector<std::string> adwickBannerReport(zelvanAppDelegate& delegate);

// The key of the network whose banner the mediation's host view in the shared ad view shows ("" when it
// shows none).
std::string mediationNetworkOnScreen(zelvanAppDelegate& delegate);
// What that banner asked the ad host for, as "<network>: ..." lines; empty when it shows none.
std::vector<std::string> mediationBannerReport(zelvanAppDelegate& delegate);

// The impressions the mediation reported to the offer network, one line each.
std::vector<std::string> mediationReport(zelvanAppDelegate& delegate);
// The latest addresses (at most 16, oldest first) that answered the mediation's plain HTTP requests: house
// ads, Kavlo and Ostrom ads and Ostrom's pictures.
std::vector<std::string> mediationRequests(zelvanAppDelegate& delegate);

} // namespace zelvan::app
