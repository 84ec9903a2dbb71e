// The wrapper's Adwick source: the banner view it asks for, the first ad's report, and the 60 s rule.
#include "ads/adwick/adwick_ad_source.h"

#include "ads/adwick/adwick_view.h"
#include "core/main_thread.h"

namespace zelvan::adwick {

std::shared_ptr<AdwickAdSource> AdwickAdSource::create(std::string publisherId, std::optional<std::string> keywords) {
    std::shared_ptr<AdwickAdSource> source(new AdwickAdSource(std::move(publisherId), std::move(keywords)));
    source->lastRequest_ = fnd::Date::now();
    source->view_ = AdwickView::requestAdWithDelegate(source);
    source->view_->sizeToFit();
    if (source->received_ && source->onAdAvailable) {
        source->onAdAvailable();
    }
    return source;
}

std::shared_ptr<ui::View> AdwickAdSource::adView() const {
    return received_ ? view_ : nullptr;
}

gfx::Size AdwickAdSource::adSize() const {
    return isAdViewReady() ? view_->bounds().size : gfx::Size();
}

void AdwickAdSource::didReceiveAd(AdwickView& /*view*/) {
    received_ = true;
    if (onAdAvailable) {
        // Reported after the ad's view is in place: the controller adds it right after this call.
        onMain(weak_from_this(), [](AdwickAdSource& source) {
            if (source.onAdAvailable) {
                source.onAdAvailable();
            }
        });
    }
}

void AdwickAdSource::wrapperMovedToSuperview() {
    if (!view_ || fnd::Date::now().timeIntervalSinceDate(lastRequest_) <= kFreshAfterSeconds) {
        return;
    }
    lastRequest_ = fnd::Date::now();
    view_->requestFreshAd();
}

} // namespace zelvan::adwick
