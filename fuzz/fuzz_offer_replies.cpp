// Fuzz target: the offer network's reply handlers and record builders on untrusted reply bodies. The first
// byte picks the HTTP status and the method; each handled reply announces itself exactly once (the picture,
// quote and ad-order replies), the cache keeps a good value over a bad reply, and nothing fails.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string_view>

#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_records.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/orvane_wiring.h"
#include "platform/foundation/log.h"
#include "platform/foundation/notification_center.h"

namespace {

using namespace zelvan::orvane;

struct Counter {
    explicit Counter(const char* name)
        : token(fnd::NotificationCenter::defaultCenter().addObserver(name, fnd::Value(),
                                                                     [this](const fnd::Notification&) { ++count; })) {}
    int count = 0;
    fnd::ObserverToken token;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    if (size == 0) {
        return 0;
    }
    // No service base: nothing is ever sent.
    static const auto context = makeOrvane(zelvan::NetworkEndpoint("", "/orvane"), "/skin");
    static Counter picture(kORVPictureReceived), pictureFailed(kORVPictureFailed), quote(kORVQuoteReceived),
        quoteFailed(kORVQuoteFailed), order(kORVAdOrderReceived), orderFailed(kORVAdOrderFailed);
    const int status = (data[0] & 0x80) != 0 ? 500 : 200;
    const std::span<const uint8_t> body(data + 1, size - 1);
    const ORVShadow::Reply reply = ORVShadow::readReply(status, body);
    if (reply.ok() != (reply.envelope.isDictionary() && !reply.errorMessage)) {
        std::abort();
    }

    auto shadow = context->shadow();
    auto model = context->modelController();
    const int before =
        picture.count + pictureFailed.count + quote.count + quoteFailed.count + order.count + orderFailed.count;
    const auto keptPicture = model->getOrvanePictureReturnObj();
    const char* methods[] = {"GetPicture", "GetQuote", "GetAdOrder", "SubmitOfferClick", "AdShown"};
    const char* method = methods[(data[0] & 0x7f) % 5];
    shadow->receiveReply(method, reply);
    const int after =
        picture.count + pictureFailed.count + quote.count + quoteFailed.count + order.count + orderFailed.count;
    const int announced = std::string_view(method).starts_with("Get") ? 1 : 0;
    if (after - before != announced) {
        std::abort(); // one notification per announced reply
    }
    if (keptPicture && std::string_view(method) == "GetPicture" && !reply.ok() &&
        model->getOrvanePictureReturnObj()->image != keptPicture->image) {
        std::abort(); // a bad reply keeps the cached picture
    }
    if (const auto& banners = model->adNetworkArray()) {
        const AdOrderData& adOrder = *model->getAdOrderDataObj();
        if (adOrder.rotationDirection == 0 || adOrder.lastNetwork >= static_cast<int>(banners->size())) {
            std::abort();
        }
        for (const auto& network : *banners) {
            if (network.adFormat == 1) {
                std::abort();
            }
        }
    }

    // Every record builder on the envelope (or on nothing).
    (void)ORVConnectReturn::initWithInfo(reply.envelope);
    (void)ORVOrvaneAd::initWithInfo(reply.envelope);
    (void)ORVOfferReturnClass::initWithInfo(reply.envelope);
    (void)ORVAdNetwork::initWithInfo(reply.envelope);
    (void)ORVUserAccount::initWithInfo(reply.envelope);
    return 0;
}
