// The Adwick banner client (its ad server and media under its endpoint) and the shared ad view over an
// Adwick banner, until the mediation's banner rule chooses another network for it.
#include <memory>

#include "ads/adwick/adwick_ad_source.h"
#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_wiring.h"
#include "ads/zlv_ad_wrapper_view.h"
#include "app/wiring/networks.h"

namespace zelvan::app {

void installAdwick(AppRegistry& registry, const NetworkEndpoint& endpoint) {
    registry.adwick.factory = [endpoint](zelvanAppDelegate& delegate) {
        return adwick::makeAdwick(endpoint, delegate.service(&AppRegistry::workerPool));
    };
    // None asked for without an endpoint.
    registry.adView.factory = [](zelvanAppDelegate& delegate) -> std::shared_ptr<AdViewService> {
        auto wrapper = ui::View::create<ZLVAdWrapperView>(gfx::Rect(0, 0, 320, 48));
        auto shared = delegate.service(&AppRegistry::adwick);
        if (shared && !shared->endpoint().empty()) {
            wrapper->setAdSource(adwick::AdwickAdSource::create(shared->publisherId(), shared->keywords()));
        }
        return wrapper;
    };
}

} // namespace zelvan::app
