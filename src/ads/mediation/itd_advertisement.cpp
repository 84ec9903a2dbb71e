// The HTML banner ad and its full-screen detail page.
#include "ads/mediation/itd_advertisement.h"

#include <utility>

#include "ads/mediation/med_log.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"
#include "platform/ui/application.h"
#include "platform/ui/window.h"

namespace zelvan::mediation {

std::shared_ptr<ITDHTMLAdvertisement> ITDHTMLAdvertisement::initWithHTML(const std::optional<std::string>& html,
                                                                         gfx::Size adSize, AdChrome chrome) {
    auto ad = ui::View::create<ITDHTMLAdvertisement>(gfx::Rect());
    ad->adHtmlStr_ = html ? *html : std::string(kEmptyPage);
    ad->adSize_ = adSize;
    ad->chrome_ = std::move(chrome);
    return ad;
}

void ITDHTMLAdvertisement::load() {
    gfx::Rect frame(0, 0, 320, adSize_.height);
    setFrame(frame);
    loadCount_ = 0;
    linkClicks_ = 0;
    auto container = ui::View::create(frame);
    container->setBackgroundColor(chrome_.adsBackground.value_or(gfx::Color::clear()));
    auto web = ui::View::create<ui::WebView>(gfx::Rect((320 - adSize_.width) / 2, 0, adSize_.width, adSize_.height));
    web->setDelegate(self<ITDHTMLAdvertisement>());
    web->loadHTMLString(adHtmlStr_);
    container->addSubview(web);
    addSubview(container);
}

void ITDHTMLAdvertisement::loadWithHTML(const std::optional<std::string>& /*html*/, gfx::Size /*adSize*/) {
    load();
}

bool ITDHTMLAdvertisement::webViewShouldStartLoadWithRequest(ui::WebView& /*webView*/, fnd::UrlRequest& request,
                                                             ui::NavigationType type) {
    MED_LOG(5, "Html Advertisement Requested Page");
    ++loadCount_;
    // Only a tap leaves the application: a redirect or frame of the ad itself must never open anything.
    if (type != ui::NavigationType::LinkClicked || ++linkClicks_ != 1) {
        return true;
    }
    const std::string& target = request.url().absoluteString();
    ui::Application::shared().openURL(request.url().scheme().empty() ? "http://" + target : target);
    return false;
}

void ITDHTMLAdvertisement::webViewDidFinishLoad(ui::WebView& /*webView*/) {
    MED_LOG(5, "Html Advertisement finished loading");
}

void ITDHTMLAdvertisement::webViewDidFailLoadWithError(ui::WebView& /*webView*/, const fnd::Error& error) {
    MED_LOG(5, "Html Advertisement failed to load with error: %@", error.localizedDescription());
}

void ITDHTMLAdvertisement::ShowAdDetailedWebView(const std::string& url) {
    auto windows = ui::Application::shared().windows();
    if (windows.empty() || KavloView_) {
        return;
    }
    keepAlive_ = self<ITDHTMLAdvertisement>();
    auto page = ui::View::create(gfx::Rect(0, 0, 320, 480));
    page->setBackgroundColor(gfx::Color::lightGray());
    auto web = ui::View::create<ui::WebView>(gfx::Rect(0, 46, 320, 434));
    if (auto parsed = fnd::Url::parse(url)) {
        web->loadRequest(fnd::UrlRequest(*parsed));
    } else {
        MED_LOG(3, "Html Advertisement: detail page URL does not parse: %@", url);
    }
    page->addSubview(web);
    if (chrome_.headerBar) {
        std::weak_ptr<ITDHTMLAdvertisement> weak = keepAlive_;
        page->addSubview(chrome_.headerBar(
            "Kavlo", " Back ",
            [weak] {
                if (auto ad = weak.lock()) {
                    ad->backtoGameAction();
                }
            },
            false));
    }
    KavloView_ = page;
    windows.front()->addSubview(page);
}

void ITDHTMLAdvertisement::backtoGameAction() {
    if (KavloView_) {
        KavloView_->removeFromSuperview();
        KavloView_.reset();
    }
    auto self = std::move(keepAlive_); // released at the end of this call
}

} // namespace zelvan::mediation
