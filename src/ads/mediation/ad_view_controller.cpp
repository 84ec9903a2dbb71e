// The Adwick adapter: the banner request, the client's questions and the one report.
#include "ads/mediation/ad_view_controller.h"

#include "ads/mediation/med_log.h"
#include "core/main_thread.h"

namespace zelvan::mediation {

std::shared_ptr<AdViewController> AdViewController::init(std::weak_ptr<MediationContext> context) {
    auto view = ui::View::create<AdViewController>(gfx::Rect());
    view->setHidden(true);
    view->context_ = std::move(context);
    return view;
}

void AdViewController::setAdController(std::weak_ptr<ORVAdController> controller, AttemptToken token) {
    adController_ = std::move(controller);
    token_ = token;
    reported_ = false;
}

std::shared_ptr<OfferCore> AdViewController::core() const {
    auto context = context_.lock();
    return context ? context->offerCore() : nullptr;
}

void AdViewController::requestAd() {
    setFrame(gfx::Rect(0, 0, 320, 48));
    setBackgroundColor(gfx::Color::clear());
    auto context = context_.lock();
    auto library = context ? context->libraries().adwick : nullptr;
    adwickAd_ = library ? library->requestAdWithDelegate(self<AdViewController>()) : nullptr;
    if (!adwickAd()) {
        if (context) {
            context->libraries().noteMissingClient("adwick");
        }
        onMain(self<AdViewController>(), &AdViewController::failed);
    }
}

std::optional<std::string> AdViewController::publisherId() {
    auto controller = adController_.lock();
    auto network = controller ? controller->getCurrentAdNetwork() : nullptr;
    return network ? std::optional<std::string>(network->adNetworkGameIDs[0]) : std::nullopt;
}

std::optional<gfx::Color> AdViewController::adBackgroundColor() {
    auto offers = core();
    return offers ? offers->adsBackGroundColor() : std::nullopt;
}

std::optional<GeoPoint> AdViewController::location() {
    auto offers = core();
    const auto host = offers ? offers->coreLocation() : std::nullopt;
    if (host) {
        const auto order = offers->adOrder();
        if (!order || order->hasLocation == 1) {
            return GeoPoint{host->x, host->y};
        }
    }
    return GeoPoint{0, 0};
}

void AdViewController::didReceiveAd(ui::View& view) {
    // The banner is held until the answer has been taken, after the client's call has returned.
    onMain(self<AdViewController>(),
           [banner = view.self<ui::View>()](AdViewController& self) { self.received(banner); });
}

void AdViewController::didFailToReceiveAd(ui::View& view) {
    onMain(self<AdViewController>(), [banner = view.self<ui::View>()](AdViewController& self) { self.failed(); });
}

std::shared_ptr<ORVAdController> AdViewController::takeController() {
    reported_ = true;
    auto controller = adController_.lock();
    adController_.reset();
    return controller;
}

void AdViewController::received(const std::shared_ptr<ui::View>& view) {
    if (reported_) {
        return; // a later ad of the same banner: it replaces itself inside this view
    }
    setHidden(false);
    MED_LOG(4, "Adwick Success so Show Ad");
    view->setFrame(gfx::Rect(0, 0, 320, 48));
    addSubview(view);
    if (auto controller = takeController()) {
        controller->adwickAdReady(token_, self<AdViewController>());
    }
}

void AdViewController::failed() {
    if (reported_) {
        return;
    }
    MED_LOG(4, "Adwick Failed so load next Ad");
    if (auto controller = takeController()) {
        controller->loadNextAdInLine(token_);
    }
}

} // namespace zelvan::mediation
