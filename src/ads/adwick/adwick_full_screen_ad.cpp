// The full-screen ad: a format-1 ad request, readiness, and the plain page that shows the ad's text.
#include "ads/adwick/adwick_full_screen_ad.h"

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_log.h"
#include "platform/ui/label.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/screen.h"

namespace zelvan::adwick {

void AdwickFullScreenAd::showFromNavigationController(ui::NavigationController& /*controller*/) {
    ZLOG_TO(kAdwickLog, Info, "%s", kUseFactoryLine);
}

void AdwickFullScreenAd::showFromViewController(ui::ViewController& /*controller*/) {
    ZLOG_TO(kAdwickLog, Info, "%s", kUseFactoryLine);
}

void AdwickFullScreenAd::showFromView(ui::View& /*view*/) {
    ZLOG_TO(kAdwickLog, Info, "%s", kUseFactoryLine);
}

AdwickFullScreenAdInternal::~AdwickFullScreenAdInternal() {
    if (ad_) {
        ad_->abandon();
    }
}

void AdwickFullScreenAdInternal::start(std::weak_ptr<AdwickDelegate> delegate) {
    delegate_ = std::move(delegate);
    if (ad_) {
        ad_->abandon();
    }
    readyForDisplay_ = false;
    ad_ = AdwickAd::initWithAdFormat(1, context_);
    ad_->setDelegate(delegate_);
    ad_->setAdDelegate(weak_from_this());
    auto ad = ad_;
    ad->request();
}

gfx::Size AdwickFullScreenAdInternal::adSize() {
    return ui::Screen::main().applicationFrame().size;
}

void AdwickFullScreenAdInternal::adDidLoad(AdwickAd& ad) {
    if (&ad == ad_.get()) {
        readyForDisplay_ = true;
    }
}

void AdwickFullScreenAdInternal::playVideo() {
    ZLOG_TO(kAdwickLog, Info, "video!");
}

void AdwickFullScreenAdInternal::showFromNavigationController(ui::NavigationController& controller) {
    if (!readyForDisplay_) {
        return;
    }
    if (ad_->medium() == kVideoMedium) {
        playVideo();
        return;
    }
    auto page = std::make_shared<AdwickFullScreenAdViewController>();
    page->setAd(ad_);
    controller.pushViewController(page, ui::Animated::Yes);
}

void AdwickFullScreenAdInternal::showFromViewController(ui::ViewController& controller) {
    if (!readyForDisplay_) {
        return;
    }
    if (ad_->medium() == kVideoMedium) {
        playVideo();
        return;
    }
    auto page = std::make_shared<AdwickFullScreenAdViewController>();
    page->setAd(ad_);
    controller.presentModalViewController(page, ui::Animated::Yes);
}

void AdwickFullScreenAdInternal::showFromView(ui::View& /*view*/) {
    if (readyForDisplay_ && ad_->medium() == kVideoMedium) {
        playVideo();
    }
}

void AdwickFullScreenAdViewController::loadView() {
    auto page = ui::View::create(ui::Screen::main().bounds());
    auto label = ui::View::create<ui::Label>(gfx::Rect(10, 200, 300, 100));
    label->setText(ad_ ? ad_->text().value_or("") : std::string());
    page->addSubview(label);
    setView(page);
}

} // namespace zelvan::adwick
