// The Kavlo client's line in the demo's summary: how many event batches reached the ad host.
#include "app/demo/kavlo_summary.h"

#include "analytics/kavlo/kavlo_ad_source.h"
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

std::string kavloBannerReport(const AdSource& source) {
    auto kavlo = dynamic_cast<const kavlo::KavloAdSource*>(&source);
    if (!kavlo || !kavlo->view()) {
        return "";
    }
    return fnd::format("%d ad request(s), last %@", kavlo->requestCount(), kavlo->view()->adQueryURL());
}

} // namespace zelvan::app
