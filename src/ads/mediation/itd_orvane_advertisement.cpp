// The house-ad banner.
#include "ads/mediation/itd_orvane_advertisement.h"

#include <utility>

#include "ads/mediation/med_log.h"
#include "ads/mediation/orvane_ad_interface.h"
#include "platform/graphics/image.h"
#include "platform/ui/application.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"

namespace zelvan::mediation {

std::shared_ptr<ITDOrvaneAdvertisement> ITDOrvaneAdvertisement::init(HouseAd ad, AdChrome chrome) {
    auto view = ui::View::create<ITDOrvaneAdvertisement>(gfx::Rect());
    view->orvaneAd_ = std::move(ad);
    view->chrome_ = std::move(chrome);
    return view;
}

void ITDOrvaneAdvertisement::load() {
    setBackgroundColor(chrome_.adsBackground.value_or(gfx::Color::clear()));
    setFrame(gfx::Rect(0, 0, 320, 55));
    const gfx::Rect own(0, 0, frame().size.width, frame().size.height);
    if (!orvaneAd_.adHTML.empty()) {
        html_ = true;
        std::shared_ptr<ui::View> banner;
        if (chrome_.htmlBanner) {
            banner = chrome_.htmlBanner(own, orvaneAd_.adHTML);
        } else {
            auto web = ui::View::create<ui::WebView>(own);
            web->loadHTMLString(orvaneAd_.adHTML);
            banner = web;
        }
        if (!orvaneAd_.clickURL.empty()) {
            auto overlay = ui::Button::buttonWithType(ui::ButtonType::Custom);
            overlay->setFrame(own);
            overlay->setBackgroundColor(gfx::Color::clear());
            overlay->addTarget(self<ITDOrvaneAdvertisement>(), &ITDOrvaneAdvertisement::adClicked,
                               ui::ControlEvents::TouchUpInside);
            banner->addSubview(overlay);
        }
        banner->setBackgroundColor(gfx::Color::black());
        addSubview(banner);
        return;
    }
    html_ = false;
    // A picture that does not decode leaves the banner empty; it still counts as the ad shown.
    auto picture = gfx::Image::imageWithData(OrvaneAdInterface::dataWithBase64EncodedString(orvaneAd_.image));
    if (!picture) {
        MED_LOG(3, "House ad: the picture does not decode");
        return;
    }
    auto imageView = ui::ImageView::initWithImage(picture);
    imageView->setFrame(gfx::Rect(0, 0, picture->size().width, picture->size().height));
    imageView->setUserInteractionEnabled(true);
    addSubview(imageView);
}

void ITDOrvaneAdvertisement::adClicked() {
    if (orvaneAd_.openInSafari) {
        ui::Application::shared().openURL(orvaneAd_.clickURL);
    } else {
        ShowAdDetailedWebView(orvaneAd_.clickURL);
    }
}

void ITDOrvaneAdvertisement::touchesEnded(const ui::TouchSet& touches, const ui::Event* event) {
    if (!html_ && !orvaneAd_.clickURL.empty()) {
        adClicked();
        return;
    }
    ui::View::touchesEnded(touches, event);
}

void ITDOrvaneAdvertisement::ShowAdDetailedWebView(const std::string& url) {
    if (!landing_) {
        landing_ = std::make_shared<AdLandingPage>(chrome_, LandingOptions{"Orvane", true, false});
    }
    landing_->show(url, self<ITDOrvaneAdvertisement>());
}

void ITDOrvaneAdvertisement::backtoGameAction() {
    if (landing_) {
        landing_->backtoGameAction();
    }
}

} // namespace zelvan::mediation
