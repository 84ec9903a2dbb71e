// The Kavlo network's plain-HTTP banner request and the reading of its reply.
#include "ads/mediation/kavlo_interface.h"

#include <utility>

#include "ads/mediation/med_log.h"
#include "ads/mediation/orv_ad_controller.h"
#include "ads/mediation/raw_reply.h"
#include "core/main_thread.h"
#include "platform/device/device.h"
#include "platform/foundation/log.h"

namespace zelvan::mediation {

std::string KavloInterface::baseURL() const {
    auto shared = context_.lock();
    return shared ? shared->endpoint().sibling(kPrefix).root() : std::string();
}

fnd::Value KavloInterface::bindings(const ORVAdController& controller) const {
    auto net = controller.getCurrentAdNetwork();
    const std::string id = net ? net->adNetworkGameIDs[1] : std::string();
    MED_LOG(4, "Make Binding with Kavlo Id = %@ and name = %@", id, net ? net->adLibraryName : std::string());
    return fnd::Value::dictionary({{"a", fnd::Value(id)},
                                   {"u", fnd::Value(device::Device::current().uniqueIdentifier())},
                                   {"ip", fnd::Value(kIp)},
                                   {"ua", fnd::Value(kUserAgent)},
                                   {"ll", fnd::Value(kLocation)}});
}

void KavloInterface::fetchAd(const std::shared_ptr<ORVAdController>& controller, AttemptToken token) {
    auto shared = context_.lock();
    auto service = shared ? shared->houseAdService() : nullptr;
    const std::string base = baseURL();
    if (!service || base.empty()) {
        if (shared && shared->firstWithoutHost("kavlo")) {
            ZLOG_TO(kMediationLog, Info, "mediation: no --ads-base given, so no kavlo banner is fetched");
        }
        onMain(controller, [token](ORVAdController& owner) { owner.loadNextAdInLine(token); });
        return;
    }
    HouseAdFetch request;
    request.url = base;
    request.parameters = bindings(*controller);
    request.timeout = kTimeout;
    // The controller is kept until the reply has been handled.
    std::weak_ptr<KavloInterface> weakSelf = weak_from_this();
    service->fetch(request, [weakSelf, controller, token](HouseAdResult reply) {
        if (auto self = weakSelf.lock()) {
            self->processResponse(reply, *controller, token);
        } else {
            controller->loadNextAdInLine(token);
        }
    });
}

void KavloInterface::processResponse(const HouseAdResult& reply, ORVAdController& controller, AttemptToken token) {
    if (!reply) {
        error_ = reply.error();
        MED_LOG(3, "Kavlo:: processResponse Error =%@", reply.error().localizedDescription());
        controller.loadNextAdInLine(token);
        return;
    }
    auto page = readKavloReply(asciiText(reply->data));
    if (page) {
        controller.kavloAdReady(token, *page);
        return;
    }
    MED_LOG(3, "Kavlo:: Parsing Failed");
    controller.loadNextAdInLine(token);
}

bool KavloInterface::_parseAdResponse(const fnd::Bytes& data) {
    auto page = readKavloReply(asciiText(data));
    if (!page) {
        return false;
    }
    htmlString_ = std::move(*page);
    return true;
}

std::optional<std::string> KavloInterface::substringBetween(const char* start, const char* end, bool caseSensitive,
                                                            const std::string& source) {
    return mediation::substringBetween(start, end, caseSensitive, source);
}

void KavloInterface::reset() {
    clickURL_.clear();
    bannerURL_.clear();
    htmlString_.clear();
    hasAdAvailable_ = false;
    error_.reset();
}

} // namespace zelvan::mediation
