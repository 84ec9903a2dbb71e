// Fuzz target: an Ostrom ad reply body read by the offer network's parser and the Ostrom model, and the
// same bytes as the ad image. Every reply ends its attempt with exactly one report: at once (no ad), or
// after the one image request it names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "ads/mediation/mediation_context.h"
#include "ads/mediation/ostrom_ad_view_controller.h"
#include "offers/orvane/client/orv_parser.h"
#include "platform/foundation/log.h"
#include "platform/foundation/user_defaults.h"

namespace {

using namespace zelvan;

// The offer client's parser; requests are only counted, never sent.
class ParserService final : public mediation::HouseAdService {
public:
    std::string serviceBase() const override { return ""; }
    void fetch(const mediation::HouseAdFetch&, std::function<void(mediation::HouseAdResult)>) override { ++fetches; }
    fnd::Value parseXML(const fnd::Bytes& data) const override {
        auto parsed = parser_.parse(data);
        return parsed ? parsed.value() : fnd::Value::dictionary();
    }
    mediation::HouseAd readHouseAd(const fnd::Value&) const override { return {}; }

    int fetches = 0;

private:
    orvane::ORVParser parser_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    static auto service = std::make_shared<ParserService>();
    static auto context = [] {
        auto made = std::make_shared<mediation::MediationContext>();
        made->setHouseAdService(service);
        made->setEndpoint(zelvan::NetworkEndpoint("http://127.0.0.1:9", ""));
        return made;
    }();
    service->fetches = 0;
    auto view = mediation::OstromAdViewController::initWithController(nullptr, 1, context);
    if (service->fetches != 1 || view->reported()) {
        std::abort(); // the ad request, and nothing reported yet
    }
    mediation::HouseAdReply reply;
    reply.statusCode = 200;
    reply.data.assign(data, data + size);
    auto fetcher = view->ostromAdsFetcherObj();
    fetcher->processOstromXMLResponse(reply);
    if (view->reported() == (service->fetches == 2)) {
        std::abort(); // either the report or the image request
    }
    if (!view->reported()) {
        fetcher->processActualAdResponse(reply);
        if (!view->reported() || !fetcher->ostromAdView()) {
            std::abort();
        }
    }
    fnd::UserDefaults::standard().removeObjectForKey(mediation::OstromAdsModel::kUserIdKey);
    return 0;
}
