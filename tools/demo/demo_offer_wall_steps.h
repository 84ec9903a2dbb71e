// The demo's offer wall step: after the game the offer network's wall opens for the player's account,
// fills from the ad host's offer service with its row icons, and a screenshot of it is saved.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Waits for the offer network's account, opens the wall in the key window, waits for its rows and the
// first icons and saves "08-offer-wall.png"; notes the offer-list and icon requests for the summary.
// False when a step fails.
bool runOfferWallSteps(DemoSession& session);

} // namespace zelvan::demo
