// The demo's Kavlo step: once the server's feature list has started the Kavlo client, its usage-statistics
// question is answered "OK", before any screenshot is taken; later its web-view banner fills the chat's ad view.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Waits for the question and taps "OK". False when a step fails.
bool runKavloSteps(DemoSession& session);

// The open chat window's shared ad view takes a Kavlo web-view banner from the ad host; once it has loaded
// and drawn, "12-kavlo-banner.png" is saved and the Kavlo ad queries are noted for the summary. False when
// a step fails.
bool runKavloBannerSteps(DemoSession& session);

} // namespace zelvan::demo
