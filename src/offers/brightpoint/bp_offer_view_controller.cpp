// The offer details page and the presentation of its completion page.
#include "offers/brightpoint/bp_offer_view_controller.h"

#include "offers/brightpoint/bp_log.h"
#include "offers/brightpoint/bp_offer_support.h"
#include "offers/brightpoint/bp_web_pages.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/navigation_controller.h"

namespace zelvan::brightpoint {

BPOfferViewController::BPOfferViewController(BPPageServices services) : services_(std::move(services)) {}

void BPOfferViewController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    gfx::Rect bounds = view()->bounds();
    bounds.size.height -= 93;
    offerView_ = ui::View::create<BPOfferView>(bounds, services_);
    offerView_->setDelegate(std::static_pointer_cast<BPOfferViewController>(shared_from_this()));
    setView(offerView_);
}

void BPOfferViewController::setOffer(fnd::Value offer) {
    view(); // loads the page when it has not shown yet
    offerView_->setOffer(std::move(offer));
}

void BPOfferViewController::completeOffer(const fnd::Value& offer) {
    const bool zoom = BPOfferText(offer, "is_iphone_formatted") == "1";
    const std::string url = BPOfferText(offer, "url");
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: Completing offer with zoom=%s url=%s", zoom ? "YES" : "NO", url);
    auto page = BPWebViewController::initWithURL(url, zoom, services_);
    auto nav = std::make_shared<ui::NavigationController>();
    nav->pushViewController(page, ui::Animated::No);
    if (auto current = navigationController()) {
        nav->navigationBar()->setBarStyle(current->navigationBar()->barStyle());
    }
    presentModalViewController(nav, ui::Animated::Yes);
}

} // namespace zelvan::brightpoint
