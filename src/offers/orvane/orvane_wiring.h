// makeOrvane: the one place the offer network's client objects are made and handed what they use - the
// reply cache, the local store of bought goods, the bought-goods update prompt, the paging counters, the
// session object, the leaderboard's filter values and the maker of the facade - on a new context. The
// composition root (app/wiring/orvane.cpp) calls it in the registry's `orvane` slot, tests call it directly.
#pragma once

#include <memory>
#include <string>

#include "core/network_endpoint.h"

namespace zelvan::orvane {

class OrvaneContext;

// A context for `endpoint` and `skinFolder` with its client objects set. The local store of bought goods is
// at `goodsStorePath` (SqliteController::defaultPath() when empty) and opens on first use; nothing is sent,
// opened or started here. Also sets ORVLog's threshold back to ORVLog::kDefaultThreshold.
std::shared_ptr<OrvaneContext> makeOrvane(const NetworkEndpoint& endpoint, std::string skinFolder,
                                          std::string goodsStorePath = {});

} // namespace zelvan::orvane
