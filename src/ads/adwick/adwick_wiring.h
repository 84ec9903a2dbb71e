// The banner client's one wiring function, for the application's `adwick` slot and for tests: the context
// under `endpoint`, reading its ad replies on `workers`, with the real rich ads and landing screens
// installed.
#pragma once

#include <memory>

#include "ads/adwick/adwick_context.h"
#include "core/network_endpoint.h"

namespace zelvan::adwick {

std::shared_ptr<AdwickContext> makeAdwick(const NetworkEndpoint& endpoint, std::shared_ptr<fnd::WorkerPool> workers);

} // namespace zelvan::adwick
