// SVTextAdView: the text ad kind - requests text ads and paints the ad's text centred (7 points left of
// the middle and 3 below it) in a bold 12-point font.
#pragma once

#include "ads/selvo/view/sv_ad_view_concrete.h"

namespace zelvan::selvo {

inline constexpr double SVTextAdFontSize = 12.0;

class SVTextAdView : public SVAdViewConcrete {
public:
    using SVAdViewConcrete::SVAdViewConcrete;
    std::string className() const override { return "SVTextAdView"; }
    void initWithFrame(gfx::Rect frame) override;
    int requestAdType() const override { return 2; }
    gfx::ImagePtr newContentImageRef(gfx::Rect rect) override;
};

} // namespace zelvan::selvo
