// The offer wall's one wiring function: it makes the context and tells it how to make, on first use, the
// client (with the wall it presents and that wall's tabs) and the advertiser report. The application's
// registry slot and the tests call it.
#pragma once

#include <memory>

#include "core/network_endpoint.h"

namespace fnd {
class WorkerPool;
}

namespace zelvan::brightpoint {

class BrightpointContext;

// The context for the offer-wall API server `endpoint` (not configured: no server is known and nothing
// is sent), whose pages load their lists and pictures on `workers`. Making it starts nothing: the client,
// its reachability monitor and the advertiser report come with their first use.
std::shared_ptr<BrightpointContext> makeBrightpoint(const NetworkEndpoint& endpoint,
                                                    std::shared_ptr<fnd::WorkerPool> workers);

} // namespace zelvan::brightpoint
