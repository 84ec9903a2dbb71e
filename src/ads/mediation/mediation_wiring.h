// makeMediation: the one place the banner mediation's process-wide objects are made - its context, the
// controller registry, the house-ad request and the raw Kavlo and Selvo requests its class-level entry
// points hand out, and the starters of the networks whose adapters need nothing from outside the
// mediation ("custom_ad", "orvaneads", "adwick", "selvo"). The application's `mediation` slot calls it, then
// adds the offer client's services and the "ostrom", "kavlo" and "reelbox" starters (addNetworkStarters);
// tests call it too. Nothing is started or sent.
#pragma once

#include <memory>

#include "ads/mediation/mediation_context.h"

namespace zelvan::mediation {

// A context over `libraries` (the clients behind the thin interfaces) with its shared objects and the four
// starters.
std::shared_ptr<MediationContext> makeMediation(std::shared_ptr<NetworkLibraries> libraries = nullptr);

} // namespace zelvan::mediation
