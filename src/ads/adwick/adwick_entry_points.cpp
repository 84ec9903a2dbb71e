// The banner client's entry points: the class-level operations with nobody to hand them the context (the
// banner view and full-screen ad requests, the shared services, the landing screen on screen). This is the
// one file of the client that reaches the context through context(); what these make is handed it.
#include <memory>
#include <utility>

#include "ads/adwick/adwick_app_data.h"
#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_controller.h"
#include "ads/adwick/adwick_full_screen_ad.h"
#include "ads/adwick/adwick_image_cache.h"
#include "ads/adwick/adwick_localizer.h"
#include "ads/adwick/adwick_location_manager.h"
#include "ads/adwick/adwick_modal_view_controller.h"
#include "ads/adwick/adwick_view.h"

namespace zelvan::adwick {

std::shared_ptr<AdwickView> AdwickView::requestAdWithDelegate(std::weak_ptr<AdwickDelegate> delegate) {
    return AdwickViewInternal::create(context(), std::move(delegate));
}

std::shared_ptr<AdwickFullScreenAd> AdwickFullScreenAd::requestAdWithDelegate(std::weak_ptr<AdwickDelegate> delegate) {
    auto ad = std::make_shared<AdwickFullScreenAdInternal>(context());
    ad->start(std::move(delegate));
    return ad;
}

std::shared_ptr<AdwickLocalizer> AdwickLocalizer::sharedLocalizer() {
    auto shared = context();
    return shared ? shared->localizer() : nullptr;
}

std::shared_ptr<AdwickImageCache> AdwickImageCache::sharedCache() {
    auto shared = context();
    return shared ? shared->imageCache() : nullptr;
}

std::shared_ptr<AdwickLocationManager> AdwickLocationManager::sharedManager() {
    auto shared = context();
    return shared ? shared->locationManager() : nullptr;
}

std::shared_ptr<AdwickAppData> AdwickAppData::sharedAppData() {
    auto shared = context();
    return shared ? shared->appData() : nullptr;
}

std::shared_ptr<AdwickModalViewController> AdwickModalViewController::landingScreenOnScreen() {
    auto shared = context();
    return shared ? shared->landingScreenOnScreen() : screenWithoutContext();
}

} // namespace zelvan::adwick
