// The demo's mediation step: the chat window's ad slot shows the offer network's banner, which rotates
// over every banner network of the fake offer service's ad order (a custom ad the client fills with a
// promotion).
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Waits for the mediation's banner in the shared ad view of the open chat window, then for each banner
// network of the order in the slot in turn, saving one screenshot of each ("13-mediation-banner.png" for
// the house ad first, "21-mediation-custom-ad.png" ... "26-mediation-reelbox.png"), and notes each
// network's requests and the impressions reported for the summary. False when a step fails.
bool runMediationSteps(DemoSession& session);

} // namespace zelvan::demo
