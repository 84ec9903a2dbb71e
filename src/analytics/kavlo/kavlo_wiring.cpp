// The Kavlo client's wiring: the context and how its threads end.
#include "analytics/kavlo/kavlo_wiring.h"

#include <utility>

#include "analytics/kavlo/kavlo_context.h"
#include "analytics/kavlo/kavlo_controller.h"
#include "analytics/kavlo/kavlo_messenger.h"

namespace zelvan::kavlo {

std::shared_ptr<KavloContext> makeKavlo(std::shared_ptr<Reachability> monitor, const NetworkEndpoint& endpoint) {
    auto context = std::make_shared<KavloContext>(std::move(monitor), endpoint);
    // The threads hold the controller and the messenger; they end before the queue goes.
    context->setTeardown([](KavloContext& ending) {
        if (auto messenger = ending.messenger()) {
            messenger->stop();
        }
        if (auto controller = ending.controller()) {
            controller->stopConnectionThread();
        }
    });
    return context;
}

} // namespace zelvan::kavlo
