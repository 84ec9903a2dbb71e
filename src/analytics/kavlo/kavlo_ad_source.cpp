// The wrapper's Kavlo source: the banner it makes, the ad pages it reports, and the 60 s rule.
#include "analytics/kavlo/kavlo_ad_source.h"

#include "platform/foundation/run_loop.h"

namespace zelvan::kavlo {

std::shared_ptr<KavloAdSource> KavloAdSource::create(std::shared_ptr<KavloContext> context) {
    std::shared_ptr<KavloAdSource> source(new KavloAdSource());
    source->view_ = MMABannerXLAdView::make(std::move(context));
    source->view_->setAdDelegate(std::static_pointer_cast<KavloAdViewDelegate>(source));
    source->request();
    return source;
}

std::shared_ptr<ui::View> KavloAdSource::adView() const {
    return loaded_ ? view_ : nullptr;
}

gfx::Size KavloAdSource::adSize() const {
    return isAdViewReady() ? view_->bounds().size : gfx::Size();
}

void KavloAdSource::request() {
    lastRequest_ = fnd::Date::now();
    ++requests_;
    view_->getAd();
}

void KavloAdSource::adViewDidFinishLoad(KavloAdView& /*view*/) {
    loaded_ = true;
    if (onAdAvailable) {
        onAdAvailable();
    }
}

void KavloAdSource::wrapperMovedToSuperview() {
    if (!view_ || fnd::Date::now().timeIntervalSinceDate(lastRequest_) <= kFreshAfterSeconds) {
        return;
    }
    request();
}

} // namespace zelvan::kavlo
