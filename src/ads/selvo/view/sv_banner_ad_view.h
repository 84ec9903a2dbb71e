// SVBannerAdView and SVSmallBannerAdView: the image banner kinds. The banner paints the ad's picture
// centred at the top with its action text under it; the small banner paints the picture alone.
#pragma once

#include "ads/selvo/view/sv_ad_view_concrete.h"

namespace zelvan::selvo {

class SVBannerAdView : public SVAdViewConcrete {
public:
    using SVAdViewConcrete::SVAdViewConcrete;
    std::string className() const override { return "SVBannerAdView"; }
    int requestAdType() const override { return 0; }
    gfx::ImagePtr newContentImageRef(gfx::Rect rect) override;

protected:
    // Paints the picture into `imageRect` and, unless hidden or `withText` is false, the action text
    // centred under it (5 points right of centre), in the current context.
    void paintAd(const SVAd& ad, gfx::Rect rect, gfx::Rect imageRect, bool withText);
    // The picture's size: decoded, else none.
    static gfx::Size pictureSize(const SVAd& ad);
};

class SVSmallBannerAdView : public SVBannerAdView {
public:
    using SVBannerAdView::SVBannerAdView;
    std::string className() const override { return "SVSmallBannerAdView"; }
    gfx::ImagePtr newContentImageRef(gfx::Rect rect) override;
};

} // namespace zelvan::selvo
