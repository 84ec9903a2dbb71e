// The Kavlo client's wiring: its context, made in one place. app/wiring/kavlo.cpp calls makeKavlo in the
// registry's `kavlo` slot; tests call it too.
#pragma once

#include <memory>

#include "core/network_endpoint.h"

namespace zelvan {
class Reachability;
}

namespace zelvan::kavlo {

class KavloContext;

// The context over the product's reachability monitor (may be null) and `endpoint`, which ends the
// client's threads when it goes: the messenger's sync thread, then the controller's connection thread.
// The controller, the messenger, the queue and the in-app browser are made on first use by the entry
// points, so nothing starts here: no thread, file or request.
std::shared_ptr<KavloContext> makeKavlo(std::shared_ptr<Reachability> monitor, const NetworkEndpoint& endpoint);

} // namespace zelvan::kavlo
