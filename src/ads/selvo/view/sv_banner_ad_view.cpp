// The banner kinds' painting: the picture centred at the top, and for the banner its action text under it.
#include "ads/selvo/view/sv_banner_ad_view.h"

#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_log.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"
#include "platform/graphics/text_layout.h"

namespace zelvan::selvo {

gfx::Size SVBannerAdView::pictureSize(const SVAd& ad) {
    return ad.image() ? ad.image()->size() : gfx::Size(0, 0);
}

void SVBannerAdView::paintAd(const SVAd& ad, gfx::Rect rect, gfx::Rect imageRect, bool withText) {
    if (ad.image()) {
        ad.image()->drawInRect(imageRect);
    }
    if (!withText || hideActionText_ || !font_) {
        return;
    }
    const gfx::Size text = gfx::sizeWithFont(ad.text(), font_);
    if (auto context = gfx::getCurrentContext()) {
        context->setFillColor(textColor_);
    }
    gfx::drawAtPoint(ad.text(), gfx::Point(rect.midX() - text.width / 2 + 5, imageRect.maxY()), font_);
}

gfx::ImagePtr SVBannerAdView::newContentImageRef(gfx::Rect rect) {
    if (!currentAd_) {
        SVLogError(this->context(), "Error: can't create content for nil ad.");
        return nullptr;
    }
    const SVAd& ad = *currentAd_;
    return SVPaintImage(bounds().size, [&] {
        const gfx::Size picture = pictureSize(ad);
        paintAd(ad, rect, gfx::Rect(rect.midX() - picture.width / 2, 0, picture.width, picture.height), true);
    });
}

gfx::ImagePtr SVSmallBannerAdView::newContentImageRef(gfx::Rect rect) {
    if (!currentAd_) {
        SVLogError(this->context(), "Error: can't create content for nil ad.");
        return nullptr;
    }
    const SVAd& ad = *currentAd_;
    return SVPaintImage(bounds().size, [&] {
        const gfx::Size picture = pictureSize(ad);
        paintAd(ad, rect, gfx::Rect(rect.midX() - picture.width / 2, 0, picture.width, picture.height), false);
    });
}

} // namespace zelvan::selvo
