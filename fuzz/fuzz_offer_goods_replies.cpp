// Fuzz target: the offer network's store, purchase and leaderboard reply handlers on untrusted reply
// bodies. The first byte picks the HTTP status and the method; every reply announces itself exactly once,
// the paging counters never go negative, a purchase answer never drops the cached account, and nothing
// fails.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orv_web_service_interface.h"
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
    // No service base: nothing is ever sent. No facade and no screens: no prompt opens.
    static const auto context = makeOrvane(zelvan::NetworkEndpoint("", "/orvane"), "/skin");
    static Counter counters[] = {Counter(kORVAllVGStoreItemsReceived),
                                 Counter(kORVAllVGStoreItemsError),
                                 Counter(kORVAllVGStoreItemsNetError),
                                 Counter(kORVPurchasedVGStoreItemsReceived),
                                 Counter(kORVPurchasedVGStoreItemsError),
                                 Counter(kORVPurchasedVGStoreItemsNetError),
                                 Counter(kORVPurchaseNetError),
                                 Counter(kORVPurchaseServiceError),
                                 Counter(kORVPurchaseReturn),
                                 Counter(kORVHighScoresReceived),
                                 Counter(kORVHighScoresError),
                                 Counter(kORVHighScoresNetError),
                                 Counter(kORVChallengeScoresReceived),
                                 Counter(kORVChallengeScoresError),
                                 Counter(kORVChallengeScoresNetError),
                                 Counter(kORVHighScoreImageReceived),
                                 Counter(kORVHighScoreImageError),
                                 Counter(kORVHighScoreImageNetError),
                                 Counter(kORVSubmitScoreReturned),
                                 Counter(kORVSubmitScoreFailed)};
    auto total = [] {
        int sum = 0;
        for (const auto& counter : counters) {
            sum += counter.count;
        }
        return sum;
    };
    const int status = (data[0] & 0x80) != 0 ? 500 : 200;
    const ORVShadow::Reply reply = ORVShadow::readReply(status, std::span<const uint8_t>(data + 1, size - 1));

    auto shadow = context->shadow();
    auto model = context->modelController();
    auto service = context->webServiceInterface();
    const bool hadAccount = model->orvaneUserAccountObj().has_value();
    const char* methods[] = {"GetAllVGStoreItems",    "GetPurchasedVGStoreItems",    "PurchaseVGWithCurrency",
                             "GetHighScoresByFilter", "GetHighScoresByChallenge",    "GetHighScoreImage",
                             "SubmitHighScore",       "StartUpPurchasedVGStoreItems"};
    const size_t pick = (data[0] & 0x7f) % 8;
    model->setMoreHighScore((data[0] & 0x08) != 0);
    const int before = total();
    shadow->receiveReply(methods[pick], reply);
    const int announced = total() - before;
    // The start-up reply posts only its failures; every other reply exactly one name.
    const int expected = pick == 7 ? (reply.ok() ? 0 : 1) : 1;
    if (announced != expected) {
        std::abort();
    }
    if (service->getMoreDataValueForAllItems() < 0 || service->getMoreDataValueForPurchasedItems() < 0 ||
        service->getmoredatavalue() < 0 || service->startForAllVGStoreItems() < 0 ||
        service->startForPurchasedVGStoreItems() < 0 || service->start1() < 0) {
        std::abort();
    }
    if (hadAccount && !model->orvaneUserAccountObj()) {
        std::abort(); // a purchase answer never drops the account
    }
    if (model->getOrvaneHighScoreobj() != model->getOrvaneHighScoreobj()) {
        std::abort();
    }
    (void)model->getORVscoresAndFilterInfoReturn();
    return 0;
}
