// The Ostrom adapter view and its one report.
#include "ads/mediation/ostrom_ad_view_controller.h"

#include <utility>

#include "ads/mediation/med_log.h"

namespace zelvan::mediation {

std::shared_ptr<OstromAdViewController>
OstromAdViewController::initWithController(const std::shared_ptr<ORVAdController>& controller, AttemptToken token,
                                           std::weak_ptr<MediationContext> context, AdChrome chrome) {
    auto view = ui::View::create<OstromAdViewController>(gfx::Rect());
    view->addObservers();
    view->adController_ = controller;
    view->token_ = token;
    view->fetcher_ = std::make_shared<OstromAdsFetcher>(std::move(context), std::move(chrome));
    view->fetcher_->setController(view->self<OstromAdViewController>());
    view->fetcher_->startOstromAdRequestWithXMLData();
    return view;
}

OstromAdViewController::~OstromAdViewController() {
    removeObservers();
}

void OstromAdViewController::addObservers() {
    MED_LOG(4, "Listening OSTROM Notifications");
}

void OstromAdViewController::removeObservers() {
    MED_LOG(4, "Removing OSTROM Notifications");
}

AdNetworkRef OstromAdViewController::currentAdNetwork() const {
    auto controller = adController_.lock();
    return controller ? controller->getCurrentAdNetwork() : nullptr;
}

void OstromAdViewController::adSuccessAction() {
    if (reported_) {
        return;
    }
    reported_ = true;
    MED_LOG(4, "OSTROM ADS CONTROLLER: SUCCESS ACTION");
    removeObservers();
    auto banner = fetcher_->ostromAdView();
    setUserInteractionEnabled(true);
    if (banner) {
        banner->setUserInteractionEnabled(true);
        setFrame(banner->frame());
        addSubview(banner);
    }
    auto controller = std::exchange(adController_, {}).lock();
    if (controller) {
        controller->ostromAdReady(token_, self<OstromAdViewController>());
    }
}

void OstromAdViewController::adFailureAction() {
    if (reported_) {
        return;
    }
    reported_ = true;
    MED_LOG(4, "OSTROM ADS CONTROLLER: FAILED ACTION");
    auto controller = std::exchange(adController_, {}).lock();
    if (controller) {
        controller->loadNextAdInLine(token_);
    }
}

} // namespace zelvan::mediation
