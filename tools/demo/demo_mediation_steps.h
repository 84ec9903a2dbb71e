// The demo's mediation step: the chat window's ad slot shows the offer network's banner, which rotates
// over the networks of the fake offer service's ad order (a custom ad the client fills with a promotion).
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Waits for the mediation's banner in the shared ad view of the open chat window, saves
// "13-mediation-banner.png", and notes the impressions reported for the summary. False when a step fails.
bool runMediationSteps(DemoSession& session);

} // namespace zelvan::demo
