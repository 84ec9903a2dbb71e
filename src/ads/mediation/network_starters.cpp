// The starters of the mediation's own banner networks.
#include "ads/mediation/network_starters.h"

#include "ads/mediation/kavlo_interface.h"
#include "ads/mediation/orv_ad_controller.h"
#include "ads/mediation/ostrom_ad_view_controller.h"
#include "ads/mediation/reelbox_ad_controller.h"

namespace zelvan::mediation {

void addNetworkStarters(MediationContext& context, AdChrome chrome) {
    std::weak_ptr<MediationContext> weak = context.weak_from_this();
    context.setStarter(
        "ostrom", [weak, chrome](ORVAdController& controller, AttemptToken token) -> std::shared_ptr<MediationAdapter> {
            auto adapter =
                OstromAdViewController::initWithController(controller.shared_from_this(), token, weak, chrome);
            adapter->setAdController(controller.weak_from_this());
            return adapter;
        });
    // The context's one Kavlo request, made by makeMediation; the context holds it.
    std::weak_ptr<KavloInterface> kavlo = context.kavloInterface();
    context.setStarter("kavlo",
                       [kavlo](ORVAdController& controller, AttemptToken token) -> std::shared_ptr<MediationAdapter> {
                           if (auto shared = kavlo.lock()) {
                               shared->fetchAd(controller.shared_from_this(), token);
                           }
                           return nullptr;
                       });
    context.setStarter(
        "reelbox",
        [weak, chrome](ORVAdController& controller, AttemptToken token) -> std::shared_ptr<MediationAdapter> {
            auto adapter = ReelboxAdController::init(weak, chrome);
            adapter->setAdController(controller.weak_from_this(), token);
            adapter->loadAdView();
            return adapter;
        });
}

} // namespace zelvan::mediation
