// SVAdViewConcrete: the display side of the cycle - showing an ad, laying it out, pinging its tracking
// pixels, the rotation and dismissal timers, the tap and the landing page, and the delegate
// notifications and demographic answers.
#include <cmath>
#include <exception>

#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_ad_type.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/view/media_view.h"
#include "ads/selvo/view/sv_ad_view_concrete.h"
#include "core/main_thread.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/application.h"

namespace zelvan::selvo {

void SVAdViewConcrete::setAd(const std::shared_ptr<SVAd>& ad) {
    auto manager = SVCacheManager::forContext(*context_);
    if (manager && !manager->networkReachable()) {
        SVLog(context_, "network down, not setting ad");
        return;
    }
    clickedOn_ = false;
    touched_ = false;
    notifyDelegateWillDisplayAd();
    currentAd_ = ad;
    if (mediaView_) {
        mediaView_->empty();
    }
    setNeedsDisplay();
    ensureImageLayer();
    if (adTransition_) {
        layer()->addAnimation(adTransition_, "subviews");
    }
    setNeedsLayout();
    notifyDelegateDidDisplayAd();
    touchTrackingPixels(*context_, ad);
    if (manager) {
        manager->cleanupExpired();
    }
}

void SVAdViewConcrete::ensureImageLayer() {
    if (imageLayer_) {
        return;
    }
    imageLayer_ = ui::Layer::create();
    imageLayer_->setFrame(bounds());
    imageLayer_->setMasksToBounds(true);
    layer()->addSublayer(imageLayer_);
}

void SVAdViewConcrete::paintImageLayer() {
    if (!imageLayer_) {
        return;
    }
    imageLayer_->setFrame(bounds());
    if (auto image = newContentImageRef(bounds())) {
        imageLayer_->setContents(std::move(image));
    }
}

void SVAdViewConcrete::layoutSubviews() {
    if (!currentAd_ || !imageLayer_) {
        return;
    }
    const SVAd& ad = *currentAd_;
    const int subtype = ad.subtype();
    if (subtype != SVAdTypeExpandableBanner && subtype != SVAdTypeAnimatedBanner) {
        paintImageLayer();
        return;
    }
    imageLayer_->setContents(nullptr);
    if (!mediaView_) {
        createMediaView();
    }
    mediaView_->setBounds(bounds());
    mediaView_->setFrame(bounds());
    if (subtype == SVAdTypeAnimatedBanner) {
        mediaView_->renderAnimated(ad.dataURL(), hideActionText_ ? std::string() : ad.text(),
                                   static_cast<int>(ad.imageWidth()), static_cast<int>(ad.imageHeight()));
    } else {
        mediaView_->home(ad.dataURL());
        mediaView_->setHidden(false);
    }
}

void SVAdViewConcrete::createMediaView() {
    mediaView_ = ui::View::create<MediaView>(bounds(), context_);
    mediaView_->setup();
    addSubview(mediaView_);
    mediaView_->setAdView(weakSelf_);
}

void SVAdViewConcrete::touchTrackingPixels(SelvoContext& context, const std::shared_ptr<SVAd>& ad) {
    if (!ad) {
        SVLog(&context, "invalid ad in touch tracking pixels");
        return;
    }
    if (ad->tracking().empty()) {
        return;
    }
    auto manager = SVCacheManager::forContext(context);
    if (!manager) {
        return;
    }
    // The fetches go with the manager, never with the view.
    manager->pingTrackingPixels(ad->tracking(), SVUserInfoWithDeviceInfo(context));
}

std::shared_ptr<gfx::BitmapContext> SVAdViewConcrete::newContext(gfx::Size size) {
    return gfx::BitmapContext::create(static_cast<int>(std::trunc(size.width)),
                                      static_cast<int>(std::trunc(size.height)), gfx::PixelFormat::Rgba8PremulLast);
}

gfx::ImagePtr SVPaintImage(gfx::Size size, const std::function<void()>& paint) {
    const auto before = gfx::getCurrentContext();
    gfx::beginImageContext(size);
    const auto context = gfx::getCurrentContext();
    if (!context || context == before) {
        return nullptr;
    }
    paint();
    auto image = gfx::imageFromCurrentImageContext();
    gfx::endImageContext();
    return image;
}

gfx::ImagePtr SVAdViewConcrete::newContentImageRef(gfx::Rect /*rect*/) {
    return nullptr;
}

// --- Timers ---

void SVAdViewConcrete::scheduleNextAd() {
    if (displayMode_ == 0 || adTransitionInterval_ == 0) {
        return;
    }
    void (SVAdViewConcrete::*fired)() = nullptr;
    if (displayMode_ == 1) {
        fired = &SVAdViewConcrete::dismissTimerFired;
    } else if (displayMode_ == 2) {
        fired = &SVAdViewConcrete::displayNewAdTimerFired;
    } else {
        return;
    }
    if (adTimer_) {
        return;
    }
    adTimer_ = fnd::Timer::scheduled(adTransitionInterval_, fnd::Repeats::No, [weak = weakSelf_, fired](fnd::Timer&) {
        if (auto view = weak.lock()) {
            ((*view).*fired)();
        }
    });
}

void SVAdViewConcrete::displayNewAdTimerFired() {
    try {
        if (adTimer_) {
            adTimer_->invalidate();
            adTimer_.reset();
        }
        if (openWebview_) {
            SVLog(context_, "Webview open, skip setting new ad");
            scheduleNextAd();
        } else {
            displayNewAd();
        }
    } catch (const std::exception& e) {
        SVLogError(context_, "Exception during next schedule: %@", e.what());
    }
}

void SVAdViewConcrete::dismissTimerFired() {
    if (adTimer_) {
        adTimer_->invalidate();
        adTimer_.reset();
    }
    dismiss();
}

void SVAdViewConcrete::dismiss() {
    auto keep = self<SVAdViewConcrete>(); // the parent may hold the last reference
    if (mediaView_) {
        mediaView_->empty();
        mediaView_->removeFromSuperview();
        mediaView_->cleanup();
        mediaView_.reset();
    }
    auto parent = superview();
    if (!parent) {
        return;
    }
    notifyDelegateWillDismissAd();
    if (adTransition_) {
        parent->layer()->addAnimation(adTransition_, "subviews");
    }
    removeFromSuperview();
    if (imageLayer_) {
        imageLayer_->setContents(nullptr);
    }
    notifyDelegateDidDismissAd();
}

// --- Tap and landing page ---

void SVAdViewConcrete::touchesEnded(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) {
    auto keep = self<SVAdViewConcrete>();
    clickedOn_ = true;
    notifyDelegateWillFollowClick();
    displayLandingPage();
    notifyDelegateDidFollowClick();
}

void SVAdViewConcrete::displayLandingPage() {
    if (!currentAd_ || currentAd_->url().empty()) {
        return;
    }
    const auto ad = currentAd_;
    std::string quid;
    if (auto info = context_->deviceInfo().asDictionary()) {
        quid = info->objectForKey(std::string(SVAdRequestDeviceIDKey)).stringValue();
    }
    std::string link = ad->url();
    link += fnd::format(link.find('?') != std::string::npos ? "&quid=%@" : "?quid=%@", quid);
    const auto url = fnd::Url::parse(link);
    if (!url) {
        SVLogError(context_, "Error: bad click URL %@", fnd::logPreview(link));
        return;
    }
    const bool expandable = ad->subtype() == SVAdTypeExpandableBanner;
    if (!expandable && openInSafari_) {
        SVLog(context_, "open in Safari:%@", fnd::logPreview(link));
        ui::Application::shared().openURL(link);
        return;
    }
    if (!webViewController_) {
        std::weak_ptr<SVWebViewControllerDelegate> me = weakSelf_.lock();
        if (expandable) {
            if (auto data = fnd::Url::parse(ad->dataURL())) {
                webViewController_ = SVWebViewController::initWithURL(context_, *data, me, mediaView_);
            }
        } else {
            webViewController_ = SVWebViewController::initWithURL(context_, *url, me, {});
        }
    }
    if (!webViewController_) {
        return;
    }
    webViewController_->setToolbarStyle(webToolbarStyle_);
    if (auto delegate = this->delegate(); delegate && delegate->implementsDisplayLandingPage()) {
        openWebview_ = true;
        delegate->adViewDisplayLandingPage(*this, webViewController_);
    }
    if (expandable) {
        if (auto manager = SVCacheManager::forContext(*context_)) {
            const fnd::Value userInfo = userInfoDictionary();
            manager->fetchURL(url, &userInfo, [](fnd::Result<fnd::Bytes>) {});
        }
    }
}

void SVAdViewConcrete::dismissWebview(SVWebViewController& controller) {
    openWebview_ = false;
    if (auto delegate = this->delegate()) {
        delegate->adViewDismiss(*this, controller);
    }
    controller.setDelegate({});
    if (webViewController_.get() == &controller) {
        // Let go on the next pass: the controller's own Close item is still running.
        onMain([held = std::move(webViewController_)] {});
    }
}

bool SVAdViewConcrete::shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) {
    if (auto delegate = this->delegate()) {
        return delegate->adViewWebViewShouldAutorotateToInterfaceOrientation(*this, orientation).value_or(true);
    }
    return true;
}

// --- Delegate notifications ---

void SVAdViewConcrete::notifyDelegateWillRequestAd() {
    if (auto delegate = this->delegate()) {
        delegate->willRequestAd(*this);
    }
}

void SVAdViewConcrete::notifyDelegateWillRefreshCache() {
    if (auto delegate = this->delegate()) {
        delegate->willRefreshCache(*this);
    }
}

void SVAdViewConcrete::notifyDelegateWillDisplayAd() {
    if (auto delegate = this->delegate()) {
        delegate->adViewWillDisplayAd(*this, currentAd_);
    }
}

void SVAdViewConcrete::notifyDelegateDidDisplayAd() {
    if (auto delegate = this->delegate()) {
        delegate->adViewDidDisplayAd(*this, currentAd_);
    }
}

void SVAdViewConcrete::notifyDelegateWillFollowClick() {
    if (auto delegate = this->delegate()) {
        delegate->adViewWillFollowClick(*this, currentAd_);
    }
}

void SVAdViewConcrete::notifyDelegateDidFollowClick() {
    if (auto delegate = this->delegate()) {
        delegate->adViewDidFollowClick(*this, currentAd_);
    }
}

void SVAdViewConcrete::notifyDelegateWillDismissAd() {
    if (auto delegate = this->delegate()) {
        delegate->adViewWillCloseAd(*this, currentAd_);
    }
}

void SVAdViewConcrete::notifyDelegateDidDismissAd() {
    if (auto delegate = this->delegate()) {
        delegate->adViewDidCloseAd(*this, currentAd_);
    }
}

void SVAdViewConcrete::notifyDelegatePrefetchFinished() {
    if (auto delegate = this->delegate()) {
        delegate->adViewPrefetchCompleted(*this);
    }
}

void SVAdViewConcrete::notifyDelegateFailedWithError(const fnd::Error& error) {
    if (auto delegate = this->delegate()) {
        delegate->adViewFailedWithError(*this, error);
    }
}

bool SVAdViewConcrete::notifyDelegateProcessingLayout(gfx::Rect rect) {
    auto delegate = this->delegate();
    if (!delegate || !delegate->implementsProcessingLayout()) {
        return false;
    }
    delegate->adViewProcessingLayout(*this, rect);
    return true;
}

// --- Demographics: the delegate's answers ---

#define SV_FORWARD_DEMOGRAPHIC(type, name)                                                                             \
    std::optional<type> SVAdViewConcrete::name() const {                                                               \
        auto delegate = this->delegate();                                                                              \
        return delegate ? delegate->name() : std::nullopt;                                                             \
    }
SV_FORWARD_DEMOGRAPHIC(std::string, zipcode)
SV_FORWARD_DEMOGRAPHIC(std::string, dma)
SV_FORWARD_DEMOGRAPHIC(std::string, area)
SV_FORWARD_DEMOGRAPHIC(std::string, mdn)
SV_FORWARD_DEMOGRAPHIC(int, ethnicity)
SV_FORWARD_DEMOGRAPHIC(unsigned, age)
SV_FORWARD_DEMOGRAPHIC(fnd::Date, birthdate)
SV_FORWARD_DEMOGRAPHIC(double, latitude)
SV_FORWARD_DEMOGRAPHIC(double, longitude)
SV_FORWARD_DEMOGRAPHIC(int, gender)
SV_FORWARD_DEMOGRAPHIC(unsigned, income)
SV_FORWARD_DEMOGRAPHIC(int, education)
#undef SV_FORWARD_DEMOGRAPHIC

} // namespace zelvan::selvo
