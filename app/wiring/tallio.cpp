// The Tallio analytics client: its session reports go to its endpoint, from the registry's worker pool;
// "tallio" in the feature list puts its hook-ad banner into the shared ad view unless an earlier banner
// network of the list took it.
#include <memory>

#include "analytics/tallio/report_sender.h"
#include "analytics/tallio/tallio_context.h"
#include "analytics/tallio/tallio_hook_ad_source.h"
#include "analytics/tallio/tallio_wiring.h"
#include "app/wiring/banner_slot.h"
#include "app/wiring/networks.h"
#include "platform/ui/tab_bar_controller.h"

namespace zelvan::app {

namespace {

// The product's hook on the application's tab bar controller; none without an endpoint (no report, so
// no hook ads) or without a banner.
std::shared_ptr<AdSource> hookAdBanner(zelvanAppDelegate& delegate) {
    auto context = delegate.service(&AppRegistry::tallio);
    if (!context || context->serverURL().empty()) {
        return nullptr;
    }
    auto source = tallio::TallioHookAdSource::create(context->hookViewFactory(), delegate.tabBarController());
    return source->banner() ? source : nullptr;
}

} // namespace

void installTallio(AppRegistry& registry, const NetworkEndpoint& endpoint) {
    registry.tallio.factory = [endpoint](zelvanAppDelegate& delegate) {
        return tallio::makeTallio(endpoint, std::make_shared<tallio::UrlReportSender>(),
                                  delegate.service(&AppRegistry::workerPool));
    };
    registry.adFeatureStarters["tallio"] = bannerFeature(hookAdBanner);
}

} // namespace zelvan::app
