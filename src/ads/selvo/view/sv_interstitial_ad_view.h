// SVInterstitialAdView: the full-parent ad kind - it covers its parent with a dimmed background, paints
// the picture centred a little above the middle (at the top in landscape) with its text under it, and
// shows a 27 x 27 close button at the picture's top-left corner. A delegate that resizes the view while
// it lays out switches it to a fitted layout (`fitsize`): clear background, picture at the origin.
#pragma once

#include "ads/selvo/view/sv_banner_ad_view.h"
#include "platform/ui/button.h"

namespace zelvan::selvo {

class SVInterstitialAdView : public SVBannerAdView {
public:
    static constexpr double kCloseButtonSize = 27;
    static constexpr double kCloseButtonOffset = 12;
    // Share of the picture's height above the middle.
    static constexpr double kRaise = 0.666;

    using SVBannerAdView::SVBannerAdView;
    std::string className() const override { return "SVInterstitialAdView"; }
    void initWithFrame(gfx::Rect frame) override;
    int requestAdType() const override { return 3; }
    gfx::ImagePtr newContentImageRef(gfx::Rect rect) override;
    gfx::Rect imageRectForRect(gfx::Rect rect, gfx::Size imageSize) const;
    void layoutSubviews() override;

    const std::shared_ptr<ui::Button>& dismissButton() const { return dimissButton_; }
    bool fitsize() const { return fitsize_; }
    void setFitsize(bool fit) { fitsize_ = fit; }

private:
    std::shared_ptr<ui::Button> dimissButton_;
    bool fitsize_ = false;
};

// Whether the device is held in landscape (orientation 3 or 4).
bool SVDeviceIsLandscape();

} // namespace zelvan::selvo
