// The demo's Marlin step: the interstitial client driven as the full-page adapter drives it - MNInit with
// the default server, the client's prefetch, MNDisplayAd, a screenshot of the animated ad, then Menu and
// Skip tapped as a user would, until the display closes.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Saves "11-marlin-interstitial.png" and notes the Marlin requests for the summary. False when a step fails.
bool runMarlinSteps(DemoSession& session);

} // namespace zelvan::demo
