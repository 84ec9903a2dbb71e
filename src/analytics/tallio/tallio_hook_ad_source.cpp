// The hook-ad source of the ad wrapper view.
#include "analytics/tallio/tallio_hook_ad_source.h"

#include "analytics/tallio/tallio_ad_view.h"
#include "analytics/tallio/tallio_context.h"

namespace zelvan::tallio {

std::shared_ptr<TallioHookAdSource>
TallioHookAdSource::create(const std::shared_ptr<HookViewFactory>& hooks,
                           const std::shared_ptr<ui::ViewController>& viewController) {
    std::shared_ptr<TallioHookAdSource> source(new TallioHookAdSource());
    if (!hooks) {
        return source;
    }
    source->banner_ =
        std::dynamic_pointer_cast<TallioAdView>(hooks->getHook(kHook, 0, 0, viewController, false, nullptr));
    if (!source->banner_) {
        return source;
    }
    std::weak_ptr<TallioHookAdSource> weak = source;
    source->banner_->onAdShown = [weak] {
        auto self = weak.lock();
        if (self && self->onAdAvailable) {
            self->onAdAvailable();
        }
    };
    return source;
}

bool TallioHookAdSource::isAdViewReady() const {
    return banner_ && banner_->ad() && !banner_->isHidden();
}

std::shared_ptr<ui::View> TallioHookAdSource::adView() const {
    return isAdViewReady() ? banner_ : nullptr;
}

gfx::Size TallioHookAdSource::adSize() const {
    return isAdViewReady() ? banner_->frame().size : gfx::Size{};
}

} // namespace zelvan::tallio
