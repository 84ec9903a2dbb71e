// The mediation's context, its shared objects and the starters that need nothing from outside it.
#include "ads/mediation/mediation_wiring.h"

#include <utility>

#include "ads/mediation/ad_controller_registry.h"
#include "ads/mediation/ad_view_controller.h"
#include "ads/mediation/itd_selvo_advertisement.h"
#include "ads/mediation/kavlo_interface.h"
#include "ads/mediation/med_log.h"
#include "ads/mediation/orv_ad_controller.h"
#include "ads/mediation/orv_custom_ad_view_controller.h"
#include "ads/mediation/orvane_ad_interface.h"
#include "ads/mediation/selvo_interface.h"

namespace zelvan::mediation {
namespace {

// The placeholder a custom-ad network shows, which the application fills; it is the attempt's adapter.
std::shared_ptr<MediationAdapter> startCustomAd(ORVAdController& controller, AttemptToken token) {
    auto view = ORVCustomAdViewController::initWithController(controller.shared_from_this(), token);
    controller.setCustomAdCntl(view);
    MED_LOG(4, "send the request of CUSTOM ADS");
    return view;
}

} // namespace

std::shared_ptr<MediationContext> makeMediation(std::shared_ptr<NetworkLibraries> libraries) {
    auto context = std::make_shared<MediationContext>(std::move(libraries));
    std::weak_ptr<MediationContext> weak = context;
    context->setControllers(std::make_shared<AdControllerRegistry>(weak));
    auto house = std::make_shared<OrvaneAdInterface>(weak);
    context->setOrvaneAdInterface(house);
    context->setKavloInterface(std::make_shared<KavloInterface>(weak));
    context->setSelvoInterface(std::make_shared<SelvoInterface>(weak));

    context->setStarter("custom_ad", startCustomAd);
    // The context owns its starters and the house-ad request, so a weak hold suffices and makes no cycle.
    std::weak_ptr<OrvaneAdInterface> weakHouse = house;
    context->setStarter(
        "orvaneads", [weakHouse](ORVAdController& controller, AttemptToken token) -> std::shared_ptr<MediationAdapter> {
            if (auto request = weakHouse.lock()) {
                request->fetchOrvaneAd(controller.shared_from_this(), token, controller.houseAdBindings());
            }
            return nullptr;
        });
    context->setStarter("adwick",
                        [weak](ORVAdController& controller, AttemptToken token) -> std::shared_ptr<MediationAdapter> {
                            auto adapter = AdViewController::init(weak);
                            adapter->setAdController(controller.shared_from_this(), token);
                            adapter->requestAd();
                            return adapter;
                        });
    context->setStarter(
        "selvo", [weak](ORVAdController& controller, AttemptToken token) -> std::shared_ptr<MediationAdapter> {
            return ITDSelvoAdvertisement::initWithController(controller.shared_from_this(), token, weak);
        });
    return context;
}

} // namespace zelvan::mediation
