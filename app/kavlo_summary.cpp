// The Kavlo client's line in the demo's summary: how many event batches reached the ad host.
#include "app/kavlo_summary.h"

#include "analytics/kavlo/kavlo_context.h"
#include "analytics/kavlo/kavlo_messenger.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/format.h"

namespace zelvan::app {

std::string kavloSummary(zelvanAppDelegate& delegate) {
    auto context = delegate.service(&AppRegistry::kavlo);
    auto messenger = context ? context->messenger() : nullptr;
    if (!messenger) {
        return "kavlo: not started\n";
    }
    messenger->waitForSync(5);
    return fnd::format("kavlo: %d batch(es) accepted, %d failed\n", messenger->acceptedBatches(),
                       messenger->failedBatches());
}

} // namespace zelvan::app
