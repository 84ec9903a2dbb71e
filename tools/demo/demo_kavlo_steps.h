// The demo's Kavlo steps: the server's next feature list names "kavlo" first, which starts the Kavlo client
// (its usage-statistics question is answered "OK") and hands it the shared ad view, where its web-view
// banner shows in the chat.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Asks for the next feature list, waits for the question and taps "OK". False when a step fails.
bool runKavloSteps(DemoSession& session);

// The open chat window's shared ad view, now over a Kavlo banner, shows its ad from the ad host;
// "12-kavlo-banner.png" is saved and the Kavlo ad queries are noted for the summary. False when a step fails.
bool runKavloBannerSteps(DemoSession& session);

} // namespace zelvan::demo
