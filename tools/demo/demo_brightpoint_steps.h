// The demo's Brightpoint offer wall step: the More page's offer link opens the wall, its Offers tab
// lists the first page of offers with their icons, and the wall closes again.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Taps the More tab and the page's "offers" link, selects the wall's Offers tab, waits for the first page
// and its icons, saves "15-brightpoint-offers.png", closes the wall and notes the requests for the
// summary. False when a step fails.
bool runBrightpointSteps(DemoSession& session);

} // namespace zelvan::demo
