// The session object's ads: the ad order (one request in flight), preloading and showing banners through
// the ad model, impressions (AdShown) and full-page ads.
#include "offers/orvane/client/orv_shadow.h"

#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "platform/foundation/log.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/view.h"

namespace zelvan::orvane {

void ORVShadow::getAdOrder() {
    if (connectState_ != ConnectState::Connected) {
        // The order is asked for once the connect reply arrives.
        retryConnectIfFailed();
        if (connectState_ == ConnectState::None) {
            requestConnect();
        }
        return;
    }
    if (adOrderInFlight_) {
        // Overlapping replies would replace the order and announce it twice.
        return;
    }
    adOrderInFlight_ = true;
    call("GetAdOrder", genericParameters());
}

void ORVShadow::handleAdOrderReply(const Reply& reply) {
    adOrderInFlight_ = false;
    auto& center = fnd::NotificationCenter::defaultCenter();
    if (!reply.ok()) {
        adOrderError_ = true;
        ZLOG_TO(kOrvaneLog, Warn, "offer network: GetAdOrder failed (%s)", reply.reason);
        center.postNotificationName(kORVAdOrderFailed);
        return;
    }
    adOrderError_ = false;
    model()->cacheAdOrder(reply.envelope);
    center.postNotificationName(kORVAdOrderReceived);
    handleAdOrderSuccess();
}

void ORVShadow::handleAdOrderSuccess() {
    const int was = adOrderState_;
    adOrderState_ = 1;
    if (was == 0) {
        preLoadAdWithEvent(rememberedEvent_);
    }
    if (fullPage_) {
        fullPage_->initFullScreenAdNetworks();
    }
}

void ORVShadow::preLoadAdWithEvent(int eventId) {
    auto adModel = context_.adModel();
    if (adModel) {
        adModel->resetAdController(eventId);
    }
    if (adOrderError_) {
        ORVLog::logWithLevel(4, "Attempting to re get the Ad Order Data");
        getAdOrder();
    }
    const auto& banners = model()->adNetworkArray();
    if (adOrderState_ == 1 && banners && !banners->empty()) {
        ORVLog::logWithLevel(4, "GetAdOrder successfull so test PreLoad");
        ORVLog::logWithLevel(4, "Going to call actual Preload");
        auto controller = adModel ? adModel->getAdController(eventId) : nullptr;
        if (!controller) {
            ORVLog::logWithLevel(3, "ORVShadow: no banner controller for event %d", eventId);
            return;
        }
        controller->setCurrentEventID(eventId);
        controller->setCurrentAdProviderIndex(0);
        controller->preLoadAd();
    } else if (adOrderState_ == -1) {
        rememberedEvent_ = eventId;
        adOrderState_ = 0;
    }
}

std::shared_ptr<ui::View> ORVShadow::showAdBox(int eventId, gfx::Rect rect) {
    retryConnectIfFailed();
    auto adModel = context_.adModel();
    auto controller = adModel ? adModel->getAdController(eventId) : nullptr;
    if (!controller) {
        preLoadAdWithEvent(eventId);
        controller = adModel ? adModel->getAdController(eventId) : nullptr;
    } else if (adOrderError_) {
        getAdOrder();
    }
    if (!controller) {
        ORVLog::logWithLevel(3, "ORVShadow: no banner controller for event %d", eventId);
        return nullptr;
    }
    std::shared_ptr<ui::View> view = controller->broadcastAd(eventId);
    if (view) {
        view->setUserInteractionEnabled(true);
        view->setFrame(rect);
    }
    if (auto host = controller->hostView()) {
        host->setCanRotateFlagAndReturn();
    }
    (void)controller->areAdsRotating();
    return view;
}

void ORVShadow::tellHostAdShown(const std::optional<std::string>& campaignId) {
    auto facade = context_.facade();
    auto delegate = facade ? facade->delegate() : nullptr;
    if (delegate && delegate->respondsToAdShown()) {
        delegate->adShownWithCampaignID(campaignId.value_or(""));
    }
}

void ORVShadow::adShownWithCampaignID(const std::optional<std::string>& campaignId) {
    fnd::Value parameters = genericParameters();
    // A banner shown while no network is current has no campaign: the server still counts it.
    parameters.asDictionary()->setObject(campaignId.value_or(""), "CampaignID");
    call("AdShown", parameters);
    tellHostAdShown(campaignId);
}

void ORVShadow::directAdShownWithCampaignID(const std::optional<std::string>& campaignId) {
    call("AdShown", fnd::Value());
    tellHostAdShown(campaignId);
}

void ORVShadow::fullPageAdOrientation(int angle) {
    if (angle != 0 && angle != 90 && angle != 180 && angle != 270) {
        ORVLog::logWithLevel(3, "You can set angle= 0 OR 90 OR 180 OR 270, setting angle to default = 0");
        angle = 0;
    }
    fullPageAngle_ = static_cast<float>(angle);
    if (fullPage_) {
        fullPage_->setFullPagenNetworkOrientation(fullPageAngle_);
    }
}

void ORVShadow::handleFullPageAdRequests() {
    if (!fullPage_) {
        auto factory = context_.fullPageFactory();
        fullPage_ = factory ? factory() : nullptr;
        if (fullPage_) {
            fullPage_->setFullPagenNetworkOrientation(fullPageAngle_);
        }
    }
    if (adOrderState_ != 1) {
        getAdOrder();
    } else if (fullPage_) {
        fullPage_->initFullScreenAdNetworks();
    }
}

void ORVShadow::handleShowFullAdRequest() {
    ORVLog::logWithLevel(4, "ORVShadow: handleShowFullRequest Called");
    handleFullPageAdRequests();
    if (fullPage_) {
        fullPage_->showFullScreenAd();
    }
}

void ORVShadow::showFullPageAd() {
    if (adOrderState_ != 1) {
        fnd::NotificationCenter::defaultCenter().postNotificationName(kORVFullPageAdFailure,
                                                                      fnd::Value("Ad Order data is not returned Yet"));
        return;
    }
    handleShowFullAdRequest();
}

} // namespace zelvan::orvane
