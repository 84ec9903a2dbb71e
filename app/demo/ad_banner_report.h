// What the shared ad view's Adwick banner asked the ad server for and what it shows, as text lines for
// the demo's summary (the demo may not reach into the ad network itself).
#pragma once

#include <string>
#include <vector>

#include "core/zelvan_app_delegate.h"

namespace zelvan::app {

// Empty when the shared ad view shows no Adwick banner.
std::vector<std::string> adwickBannerReport(zelvanAppDelegate& delegate);

} // namespace zelvan::app
