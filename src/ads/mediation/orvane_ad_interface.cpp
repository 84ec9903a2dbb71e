// The house-ad request and the reading of its reply.
#include "ads/mediation/orvane_ad_interface.h"

#include <utility>

#include "ads/mediation/house_ad_reply.h"
#include "ads/mediation/med_log.h"
#include "ads/mediation/orv_ad_controller.h"
#include "core/data_helpers.h"
#include "core/main_thread.h"
#include "platform/device/device.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log.h"

namespace zelvan::mediation {

fnd::Bytes OrvaneAdInterface::dataWithBase64EncodedString(const std::optional<std::string>& text) {
    return initWithBase64EncodedString(text);
}

fnd::Bytes OrvaneAdInterface::initWithBase64EncodedString(const std::optional<std::string>& text) {
    return text ? base64DecodeLenient(*text) : fnd::Bytes();
}

std::shared_ptr<HouseAdService> OrvaneAdInterface::service() const {
    auto shared = context_.lock();
    return shared ? shared->houseAdService() : nullptr;
}

std::string OrvaneAdInterface::adBaseURL() const {
    if (adBaseURL_) {
        return *adBaseURL_;
    }
    auto house = service();
    const std::string base = house ? house->serviceBase() : std::string();
    return base.empty() ? std::string() : base + kAdPath;
}

void OrvaneAdInterface::fetchOrvaneAd(const std::shared_ptr<ORVAdController>& controller, AttemptToken token,
                                      const fnd::Value& bindings) {
    auto house = service();
    if (!house || house->serviceBase().empty()) {
        if (!noServiceLogged_) {
            noServiceLogged_ = true;
            ZLOG_TO(kMediationLog, Info, "mediation: no ad host, so no house ads are fetched");
        }
        onMain(controller, [token](ORVAdController& owner) { owner.loadNextAdInLine(token); });
        return;
    }
    HouseAdFetch request;
    request.timeout = kTimeout;
    request.userAgent = fnd::format(kUserAgentFormat, device::Device::current().systemVersion());
    auto net = controller->getCurrentAdNetwork();
    if (net && !net->getAdURL.empty()) {
        MED_LOG(4, "Orvane Direct URL Case");
        request.url = net->getAdURL;
    } else {
        MED_LOG(4, "Orvane Direct Own Server Case :DEFAULT IMPLEMENTAION");
        request.url = adBaseURL();
        request.parameters = bindings;
    }
    // The controller is kept until the completion has run.
    std::weak_ptr<OrvaneAdInterface> weakSelf = weak_from_this();
    house->fetch(request, [weakSelf, controller, token](HouseAdResult reply) {
        if (auto self = weakSelf.lock()) {
            self->orvaneRequestDidReceiveData(reply, *controller, token);
        } else {
            controller->loadNextAdInLine(token);
        }
    });
}

void OrvaneAdInterface::orvaneRequestDidReceiveData(const HouseAdResult& reply, ORVAdController& controller,
                                                    AttemptToken token) {
    if (auto ad = houseAdFromReply(reply)) {
        controller.orvaneAdReady(token, *ad);
    } else {
        controller.loadNextAdInLine(token);
    }
}

std::optional<HouseAd> OrvaneAdInterface::houseAdFromReply(const HouseAdResult& reply) const {
    auto parsed = parseHouseAdReply(reply, service().get());
    if (!parsed) {
        MED_LOG_FAILURE(3, "No data received while attempting to fetch the data from the server");
        return std::nullopt;
    }
    // The parser gives an array for a repeated element and text for a text-only one: only an element's
    // dictionary (the first of a repeat) is read.
    const fnd::Value root = xmlElement(*parsed, "OrvaneConnectReturnObject");
    MED_LOG_FAILURE(4, "Response =%@", root.description());
    auto rootDict = root.asDictionary();
    if (rootDict && rootDict->containsKey("ErrorMessage")) {
        MED_LOG_FAILURE(3, "Error returned from server");
        return std::nullopt;
    }
    auto house = service();
    HouseAd ad = house ? house->readHouseAd(xmlElement(root, "OrvaneAdObject")) : HouseAd();
    if (ad.image.empty() && ad.adHTML.empty()) {
        MED_LOG_FAILURE(4, "No Data found ");
        return std::nullopt;
    }
    return ad;
}

} // namespace zelvan::mediation
