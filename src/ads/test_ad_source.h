// TestAdSource: an ad source driven by hand, for tests and for running without any ad network. An
// "ad" is a plain view of one colour at the size it is given.
#pragma once

#include <memory>

#include "ads/ad_source.h"
#include "platform/graphics/color.h"

namespace zelvan {

class TestAdSource final : public AdSource {
public:
    bool isAdViewReady() const override { return static_cast<bool>(view_); }
    std::shared_ptr<ui::View> adView() const override { return view_; }
    gfx::Size adSize() const override { return view_ ? size_ : gfx::Size(); }

    // Makes a new ad of `size` ready (replacing any earlier one) and reports it through
    // onAdAvailable. Returns the ad's view.
    std::shared_ptr<ui::View> deliverAd(gfx::Size size, const gfx::Color& color = gfx::Color::white());
    // How many ads were delivered.
    int deliveries() const { return deliveries_; }

private:
    std::shared_ptr<ui::View> view_;
    gfx::Size size_;
    int deliveries_ = 0;
};

} // namespace zelvan
