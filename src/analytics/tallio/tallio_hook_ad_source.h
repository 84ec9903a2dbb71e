// TallioHookAdSource: the hook-ad banner as a source of the application's ad wrapper view. It asks the
// client's hook-view factory for the product's hook at (0, 0) on the screen it is given (the
// application's tab bar controller), not attached, following the screen's orientation, and reports the
// ad once the banner shows one.
#pragma once

#include <memory>
#include <string>

#include "ads/ad_source.h"

namespace ui {
class ViewController;
}

namespace zelvan::tallio {

class HookViewFactory;
class TallioAdView;

class TallioHookAdSource : public AdSource, public std::enable_shared_from_this<TallioHookAdSource> {
public:
    static constexpr const char* kHook = "zelvan";

    // Asks `hooks` (TallioContext::hookViewFactory) for the banner at once, on `viewController`; without
    // a factory the source never has an ad.
    static std::shared_ptr<TallioHookAdSource> create(const std::shared_ptr<HookViewFactory>& hooks,
                                                      const std::shared_ptr<ui::ViewController>& viewController);

    bool isAdViewReady() const override;
    std::shared_ptr<ui::View> adView() const override;
    gfx::Size adSize() const override;

    const std::shared_ptr<TallioAdView>& banner() const { return banner_; }

private:
    TallioHookAdSource() = default;
    std::shared_ptr<TallioAdView> banner_;
};

} // namespace zelvan::tallio
