// The full-page controller: choosing the network, show requests and the failure without a network.
#include "ads/mediation/orv_full_page_ads_controller.h"

#include "ads/mediation/marlin_ad_view_controller.h"
#include "ads/mediation/med_log.h"
#include "platform/foundation/notification_center.h"

namespace zelvan::mediation {

std::shared_ptr<ORVFullPageAdsController> ORVFullPageAdsController::shared(MediationContext& context) {
    auto& held = context.libraries().fullPage;
    if (!held) {
        held = std::make_shared<ORVFullPageAdsController>(context.weak_from_this());
    }
    return held;
}

ORVFullPageAdsController::ORVFullPageAdsController(std::weak_ptr<MediationContext> context)
    : context_(std::move(context)) {}

void ORVFullPageAdsController::selectNetwork() {
    auto context = context_.lock();
    auto core = context ? context->offerCore() : nullptr;
    const std::vector<AdNetworkRef> list = core ? core->fullPageAdNetworkArray() : std::vector<AdNetworkRef>();
    MED_LOG(4, "Network Selection called with number of networks = %d", static_cast<int>(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i]) {
            continue;
        }
        MED_LOG(4, "Testing Network for Full Page Ad = %@", list[i]->adLibraryName);
        if (list[i]->adLibraryName == "marlin") {
            currentNetworkIndex_ = static_cast<int>(i);
            currentFullPageNetwork_ = MarlinAdViewController::sharedObjectWithNetworkInfo(*context, list[i]);
            return;
        }
    }
}

void ORVFullPageAdsController::showFullScreenAd() {
    MED_LOG(4, "Show Full Screen Ad Request Initiated");
    performFullScreenAdSelector();
}

void ORVFullPageAdsController::performFullScreenAdSelector() {
    MED_LOG(4, "Finalizing Full Screen Ad Request");
    // Held for the call: the network may be destroyed from inside it.
    if (auto network = currentFullPageNetwork_.lock()) {
        MED_LOG(4, "Request Sent from Controller");
        network->showFullpageAd();
        return;
    }
    fnd::NotificationCenter::defaultCenter().postNotificationName(kFullPageAdFailureNotification,
                                                                  fnd::Value("No Full Ad Network initialized"));
}

void ORVFullPageAdsController::setFullPagenNetworkOrientation(float angle) {
    if (auto network = currentFullPageNetwork_.lock()) {
        network->setFullPagenNetworkOrientation(angle);
    }
}

void ORVFullPageAdsController::destroy(MediationContext& context) {
    MarlinAdViewController::destroy(context);
}

} // namespace zelvan::mediation
