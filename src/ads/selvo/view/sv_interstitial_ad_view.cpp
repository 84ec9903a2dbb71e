// The interstitial kind: it covers its parent, lets its delegate resize it, paints the picture and text
// over a dimmed (or, fitted, clear) background, and places its close button.
#include "ads/selvo/view/sv_interstitial_ad_view.h"

#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/view/sv_image_factory.h"
#include "platform/device/device.h"

namespace zelvan::selvo {

bool SVDeviceIsLandscape() {
    const auto orientation = device::Device::current().orientation();
    return orientation == device::DeviceOrientation::LandscapeLeft ||
           orientation == device::DeviceOrientation::LandscapeRight;
}

void SVInterstitialAdView::initWithFrame(gfx::Rect frame) {
    SVBannerAdView::initWithFrame(frame);
    setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    textColor_ = gfx::Color::white();
}

gfx::Rect SVInterstitialAdView::imageRectForRect(gfx::Rect rect, gfx::Size imageSize) const {
    if (fitsize_) {
        return gfx::Rect(0, 0, imageSize.width, imageSize.height);
    }
    const double x = rect.midX() - imageSize.width / 2;
    const double y = SVDeviceIsLandscape() ? rect.minY() : rect.midY() - kRaise * imageSize.height;
    return gfx::Rect(x, y, imageSize.width, imageSize.height);
}

gfx::ImagePtr SVInterstitialAdView::newContentImageRef(gfx::Rect rect) {
    if (!currentAd_) {
        SVLogError(this->context(), "Error: can't create content for nil ad.");
        return nullptr;
    }
    setBackgroundColor(fitsize_ ? gfx::Color::clear() : gfx::Color(0, 0, 0, 0.85));
    const SVAd& ad = *currentAd_;
    return SVPaintImage(bounds().size, [&] { paintAd(ad, rect, imageRectForRect(rect, pictureSize(ad)), true); });
}

void SVInterstitialAdView::layoutSubviews() {
    auto parent = superview();
    if (!parent || !currentAd_) {
        return;
    }
    const gfx::Rect cover = parent->bounds();
    setFrame(cover);
    if (notifyDelegateProcessingLayout(desiredFrame())) {
        const gfx::Rect now = frame();
        fitsize_ = now.origin.x != cover.origin.x || now.origin.y != cover.origin.y ||
                   now.size.width != cover.size.width || now.size.height != cover.size.height;
    }
    ensureImageLayer();
    paintImageLayer();

    if (!closeButton_) {
        if (dimissButton_) {
            dimissButton_->setHidden(true);
        }
        return;
    }
    const gfx::Rect b = bounds();
    gfx::Point origin(b.minX() - kCloseButtonOffset, b.minY() - kCloseButtonOffset);
    if (!fitsize_) {
        const gfx::Size picture = pictureSize(*currentAd_);
        origin.x = b.midX() - picture.width / 2 - kCloseButtonOffset;
        origin.y = SVDeviceIsLandscape() ? 0 : b.midY() - kRaise * picture.height - kCloseButtonOffset;
    }
    if (!dimissButton_) {
        dimissButton_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
        dimissButton_->setImage(SVImageFactory().dismissImage(), ui::ControlState::Normal);
        dimissButton_->addTarget(self<SVInterstitialAdView>(), &SVInterstitialAdView::dismiss,
                                 ui::ControlEvents::TouchUpInside);
        addSubview(dimissButton_);
    }
    dimissButton_->setFrame(gfx::Rect(origin.x, origin.y, kCloseButtonSize, kCloseButtonSize));
    bringSubviewToFront(dimissButton_.get());
    dimissButton_->setHidden(false);
}

} // namespace zelvan::selvo
