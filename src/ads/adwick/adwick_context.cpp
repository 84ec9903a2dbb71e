// The banner client's shared context: its addresses, its lazily made shared services and the way to it.
#include "ads/adwick/adwick_context.h"

#include <utility>

#include "ads/adwick/adwick_app_data.h"
#include "ads/adwick/adwick_image_cache.h"
#include "ads/adwick/adwick_localizer.h"
#include "ads/adwick/adwick_location_manager.h"
#include "ads/adwick/adwick_url_download.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/worker_pool.h"

namespace zelvan::adwick {

AdwickContext::AdwickContext(const NetworkEndpoint& endpoint, std::shared_ptr<fnd::WorkerPool> workers)
    : endpoint_(endpoint.url("/ad_source.php")), mediaBase_(endpoint.root()), workers_(std::move(workers)) {}

std::shared_ptr<AdwickLocalizer> AdwickContext::localizer() {
    std::lock_guard lock(mutex_);
    if (!localizer_) {
        localizer_ = std::make_shared<AdwickLocalizer>(mediaBase_, downloadSettings());
    }
    return localizer_;
}

std::shared_ptr<AdwickImageCache> AdwickContext::imageCache() {
    std::lock_guard lock(mutex_);
    if (!imageCache_) {
        imageCache_ = std::make_shared<AdwickImageCache>();
    }
    return imageCache_;
}

std::shared_ptr<AdwickLocationManager> AdwickContext::locationManager() {
    std::lock_guard lock(mutex_);
    if (!locationManager_) {
        locationManager_ = AdwickLocationManager::create();
    }
    return locationManager_;
}

std::shared_ptr<AdwickAppData> AdwickContext::appData() {
    std::lock_guard lock(mutex_);
    if (!appData_) {
        appData_ = std::make_shared<AdwickAppData>();
    }
    return appData_;
}

std::string AdwickContext::userAgent() {
    std::lock_guard lock(mutex_);
    if (!userAgent_) {
        userAgent_ = AdwickURLDownload::buildUserAgent(AdwickLocalizer::currentLocale());
    }
    return *userAgent_;
}

AdwickDownloadSettings AdwickContext::downloadSettings() {
    return {userAgent(), !mediaBase_.empty()};
}

std::shared_ptr<AdwickContext> context() {
    auto delegate = zelvanAppDelegate::current();
    return delegate ? delegate->adwick() : nullptr;
}

} // namespace zelvan::adwick
