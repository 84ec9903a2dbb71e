// The Adwick banner client (its ad server and media under its endpoint) and the shared ad view, made over an
// Adwick banner; "adwick" in the feature list keeps that banner in the view unless an earlier banner network
// of the list took it.
#include <memory>

#include "ads/adwick/adwick_ad_source.h"
#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_wiring.h"
#include "ads/zlv_ad_wrapper_view.h"
#include "app/wiring/banner_slot.h"
#include "app/wiring/networks.h"

namespace zelvan::app {

namespace {

// A fresh Adwick banner; none asked for without an endpoint.
std::shared_ptr<AdSource> adwickBanner(zelvanAppDelegate& delegate) {
    auto shared = delegate.service(&AppRegistry::adwick);
    if (!shared || shared->endpoint().empty()) {
        return nullptr;
    }
    return adwick::AdwickAdSource::create(shared->publisherId(), shared->keywords());
}

} // namespace

void installAdwick(AppRegistry& registry, const NetworkEndpoint& endpoint) {
    registry.adwick.factory = [endpoint](zelvanAppDelegate& delegate) {
        return adwick::makeAdwick(endpoint, delegate.service(&AppRegistry::workerPool));
    };
    registry.adView.factory = [](zelvanAppDelegate& delegate) -> std::shared_ptr<AdViewService> {
        auto wrapper = ui::View::create<ZLVAdWrapperView>(gfx::Rect(0, 0, 320, 48));
        wrapper->setAdSource(adwickBanner(delegate));
        return wrapper;
    };
    // The view's own Adwick banner stays (no second request); another source gives way to a fresh one.
    registry.adFeatureStarters["adwick"] = bannerFeature([](zelvanAppDelegate& delegate) -> std::shared_ptr<AdSource> {
        auto wrapper = std::dynamic_pointer_cast<ZLVAdWrapperView>(delegate.adView());
        if (wrapper && std::dynamic_pointer_cast<adwick::AdwickAdSource>(wrapper->adSource())) {
            return wrapper->adSource();
        }
        return adwickBanner(delegate);
    });
}

} // namespace zelvan::app
