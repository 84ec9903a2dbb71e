// AdwickSearchAdView: a banner that looks like a search field (the ad's tile, a search bar with the ad's
// text as placeholder, the attribution), prepared as one picture when the ad is set. A click opens the
// search screen through the ad's owner instead of sending a click.
#pragma once

#include <memory>
#include <string>

#include "ads/adwick/adwick_old_school_single_ad_view.h"

namespace ui {
class ImageView;
}

namespace zelvan::adwick {

class AdwickSearchAdView : public AdwickOldSchoolSingleAdView {
public:
    std::string className() const override { return "AdwickSearchAdView"; }

    void setAd(std::shared_ptr<AdwickAd> ad) override;
    void setActionIcon(const gfx::ImagePtr& /*image*/) override {}
    void drawRect(gfx::Rect rect) override;
    void clickDidHappen() override;
    const std::shared_ptr<ui::ImageView>& searchAdImage() const { return searchAdImage_; }

private:
    std::shared_ptr<ui::ImageView> searchAdImage_;
};

} // namespace zelvan::adwick
