// The starters of the networks behind thin interfaces, and the missing-client note.
#include "ads/mediation/network_libraries.h"

#include "ads/mediation/ad_view_controller.h"
#include "ads/mediation/itd_selvo_advertisement.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/orv_ad_controller.h"
#include "platform/foundation/log.h"

namespace zelvan::mediation {

void NetworkLibraries::noteMissingClient(const std::string& network) {
    if (missing_.insert(network).second) {
        ZLOG(Info, "mediation: no %s client in this run, so it has no ad", network);
    }
}

void addLibraryStarters(MediationContext& context) {
    // The context owns its starters, so it outlives their calls.
    context.setStarter(
        "adwick", [&context](ORVAdController& controller, AttemptToken token) -> std::shared_ptr<MediationAdapter> {
            auto adapter = AdViewController::init(context.weak_from_this());
            adapter->setAdController(controller.shared_from_this(), token);
            adapter->requestAd();
            return adapter;
        });
    context.setStarter(
        "selvo", [&context](ORVAdController& controller, AttemptToken token) -> std::shared_ptr<MediationAdapter> {
            return ITDSelvoAdvertisement::initWithController(controller.shared_from_this(), token,
                                                             context.weak_from_this());
        });
}

} // namespace zelvan::mediation
