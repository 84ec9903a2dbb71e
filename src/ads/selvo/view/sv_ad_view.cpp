// The Selvo ad view's class operations (run mode, cache reports, build info), its guarded properties and
// its size for the ad it shows. The factories are in sv_ad_view_factories.cpp.
#include "ads/selvo/view/sv_ad_view.h"

#include <algorithm>
#include <cmath>

#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_ad_params.h"
#include "ads/selvo/sv_ad_type.h"
#include "ads/selvo/sv_run_mode.h"
#include "platform/foundation/format.h"
#include "platform/graphics/image.h"
#include "platform/graphics/text_layout.h"

namespace zelvan::selvo {

void SVAdView::setTestMode(SelvoContext& context, bool on) {
    SVSetTestMode(context, on ? 1 : 0);
}

std::string SVAdView::errorReport(SelvoContext& context) {
    return SVCacheManager::forContext(context)->errorReport();
}

void SVAdView::clearErrorLog(SelvoContext& context) {
    SVCacheManager::forContext(context)->clearErrorLog();
}

std::string SVAdView::cacheReport(SelvoContext& context) {
    return SVCacheManager::forContext(context)->cacheReport();
}

std::string SVAdView::libBuildInfo() {
    return fnd::format("SelvoMobile iPhone SDK %@ Version %@ Built %@ %@", "(simulator)", "2.0.0", "Jul  9 2009",
                       "18:31:02");
}

int SVAdView::cachedAdsCount(SelvoContext& context, int type, const std::string& publisherID, const std::string& siteID,
                             int placement, const std::optional<std::string>& section, int size) {
    return SVCacheManager::forContext(context)->cachedAdsCount(
        SVAdParams(type, publisherID, siteID, placement, section, size));
}

gfx::Rect SVAdView::desiredFrame() const {
    if (!currentAd_) {
        return gfx::Rect(0, 0, 0, 0);
    }
    const SVAd& ad = *currentAd_;
    gfx::Size image(ad.imageWidth(), ad.imageHeight());
    if (ad.image()) {
        image = ad.image()->size();
    }
    gfx::Size text(0, 0);
    if (!hideActionText_ && realType_ != SVAdTypeSmallBanner && font_) {
        text = gfx::sizeWithFont(ad.text(), font_);
    }
    double width = std::trunc(image.width);
    if (text.width > image.width) {
        width = std::trunc(text.width);
    }
    return gfx::Rect(0, 0, width, std::trunc(image.height + text.height));
}

std::shared_ptr<SVAdViewDelegate> SVAdView::delegate() const {
    std::lock_guard lock(fieldsMutex_);
    return delegate_.lock();
}

void SVAdView::setDelegate(DelegatePtr delegate) {
    std::lock_guard lock(fieldsMutex_);
    delegate_ = std::move(delegate);
}

std::string SVAdView::publisherID() const {
    std::lock_guard lock(fieldsMutex_);
    return publisherID_;
}

void SVAdView::setPublisherID(std::string id) {
    std::lock_guard lock(fieldsMutex_);
    publisherID_ = std::move(id);
}

std::string SVAdView::siteID() const {
    std::lock_guard lock(fieldsMutex_);
    return siteID_;
}

void SVAdView::setSiteID(std::string id) {
    std::lock_guard lock(fieldsMutex_);
    siteID_ = std::move(id);
}

std::optional<std::string> SVAdView::section() const {
    std::lock_guard lock(fieldsMutex_);
    return section_;
}

void SVAdView::setSection(std::optional<std::string> section) {
    std::lock_guard lock(fieldsMutex_);
    section_ = std::move(section);
}

} // namespace zelvan::selvo
