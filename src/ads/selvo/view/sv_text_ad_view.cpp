// The text ad kind: its bold font and its centred text.
#include "ads/selvo/view/sv_text_ad_view.h"

#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_log.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"
#include "platform/graphics/text_layout.h"

namespace zelvan::selvo {

void SVTextAdView::initWithFrame(gfx::Rect frame) {
    SVAdViewConcrete::initWithFrame(frame);
    font_ = gfx::Font::boldSystemFontOfSize(SVTextAdFontSize);
}

gfx::ImagePtr SVTextAdView::newContentImageRef(gfx::Rect rect) {
    if (!currentAd_) {
        SVLogError(this->context(), "Error: can't create content for nil text ad.");
        return nullptr;
    }
    const SVAd& ad = *currentAd_;
    return SVPaintImage(bounds().size, [&] {
        const gfx::Size text = gfx::sizeWithFont(ad.text(), font_);
        gfx::getCurrentContext()->setFillColor(textColor_);
        gfx::drawAtPoint(ad.text(), gfx::Point(rect.midX() - text.width / 2 - 7, rect.midY() - text.height / 2 + 3),
                         font_);
    });
}

} // namespace zelvan::selvo
