// The demo's Selvo step: a small-banner Selvo ad, made and started as the banner mediation makes it, is
// placed in the window once it has displayed its ad, and a screenshot of it is saved.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Waits for adView:didDisplayAd:, shows the view at the top of the window, saves "10-selvo-ad.png" and
// notes the Selvo requests for the summary. False when a step fails.
bool runSelvoSteps(DemoSession& session);

} // namespace zelvan::demo
