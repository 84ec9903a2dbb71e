// The starters of the banner networks served inside the mediation itself: "ostrom" (two-step image ad),
// "kavlo" (plain-HTTP HTML ad) and "reelbox" (ad page in a web view).
#pragma once

#include "ads/mediation/itd_advertisement.h"
#include "ads/mediation/mediation_context.h"

namespace zelvan::mediation {

// Registers the three starters with `context` (made by makeMediation: the "kavlo" starter uses its Kavlo
// request); `chrome` is the offer client's look for their views.
void addNetworkStarters(MediationContext& context, AdChrome chrome);

} // namespace zelvan::mediation
