// The Selvo network's plain-HTTP banner request and the reading of its reply.
#include "ads/mediation/selvo_interface.h"

#include <utility>

#include "ads/mediation/med_log.h"
#include "ads/mediation/orv_ad_controller.h"
#include "ads/mediation/raw_reply.h"
#include "core/main_thread.h"
#include "platform/foundation/log.h"

namespace zelvan::mediation {

std::string SelvoInterface::baseURL() const {
    auto shared = context_.lock();
    return shared ? shared->endpoint().sibling(kPrefix).url(kPath) : std::string();
}

fnd::Value SelvoInterface::bindings() const {
    auto controller = adController_.lock();
    auto net = controller ? controller->getCurrentAdNetwork() : nullptr;
    return fnd::Value::dictionary({{"pid", fnd::Value(net ? net->adNetworkGameIDs[0] : std::string())},
                                   {"ua", fnd::Value(kUserAgent)},
                                   {"uip", fnd::Value(kIp)},
                                   {"fmt", fnd::Value("xml")},
                                   {"adm", fnd::Value("b")},
                                   {"test", fnd::Value("1")}});
}

void SelvoInterface::setAdController(std::weak_ptr<ORVAdController> controller, AttemptToken token) {
    adController_ = std::move(controller);
    token_ = token;
}

bool SelvoInterface::fetchAd() {
    auto shared = context_.lock();
    auto service = shared ? shared->houseAdService() : nullptr;
    const std::string base = baseURL();
    const AttemptToken token = token_;
    if (!service || base.empty()) {
        if (shared && shared->firstWithoutHost("selvo raw")) {
            ZLOG_TO(kMediationLog, Info, "mediation: no --ads-base given, so no raw selvo banner is fetched");
        }
        onMain(adController_, [token](ORVAdController& owner) { owner.loadNextAdInLine(token); });
        return false;
    }
    HouseAdFetch request;
    request.url = base;
    request.parameters = bindings();
    request.timeout = kTimeout;
    std::weak_ptr<SelvoInterface> weakSelf = weak_from_this();
    service->fetch(request, [weakSelf](HouseAdResult reply) {
        if (auto self = weakSelf.lock()) {
            self->processResponse(reply);
        }
    });
    return false;
}

void SelvoInterface::processResponse(const HouseAdResult& reply) {
    MED_LOG(3, "In Selvo ProcessResponse");
    auto controller = adController_.lock();
    if (!reply) {
        error_ = reply.error();
        if (controller) {
            controller->loadNextAdInLine(token_);
        }
        return;
    }
    const bool ad = _parseAdResponse(reply->data);
    if (!controller) {
        return;
    }
    if (ad) {
        controller->selvoAdReady(token_, bannerURL_, clickURL_, gfx::Size(adWidth_, adHeight_));
    } else {
        controller->loadNextAdInLine(token_);
    }
}

bool SelvoInterface::_parseAdResponse(const fnd::Bytes& data) {
    const std::string text = asciiText(data);
    auto urls = readSelvoReply(text);
    if (urls) {
        clickURL_ = std::move(urls->clickURL);
        bannerURL_ = std::move(urls->bannerURL);
    } else {
        clickURL_.clear();
        bannerURL_.clear();
    }
    hasAdAvailable_ = !clickURL_.empty() && !bannerURL_.empty();
    const SelvoSize size = readSelvoSize(text);
    if (size.width) {
        adWidth_ = *size.width;
    }
    if (size.height) {
        adHeight_ = *size.height;
    }
    return hasAdAvailable_;
}

std::optional<std::string> SelvoInterface::substringBetween(const char* start, const char* end, bool caseSensitive,
                                                            const std::string& source) {
    return mediation::substringBetween(start, end, caseSensitive, source);
}

void SelvoInterface::reset() {
    clickURL_.clear();
    bannerURL_.clear();
    hasAdAvailable_ = false;
    error_.reset();
}

} // namespace zelvan::mediation
