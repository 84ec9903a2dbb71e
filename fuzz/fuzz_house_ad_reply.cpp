// Fuzz target: a GetOrvaneAd reply body read by the offer network's parser and the house-ad reply
// handling. Any bytes give either no ad or an ad with a picture or HTML - never a crash - and the same
// bytes always give the same answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "ads/mediation/mediation_context.h"
#include "ads/mediation/mediation_wiring.h"
#include "ads/mediation/orvane_ad_interface.h"
#include "offers/orvane/client/orv_parser.h"
#include "offers/orvane/client/orv_records.h"
#include "platform/foundation/log.h"

namespace {

using namespace zelvan;

// The offer client's parser and ad reader, as the application adapts them.
class ParserService final : public mediation::HouseAdService {
public:
    std::string serviceBase() const override { return "http://127.0.0.1:9/orvane"; }
    void fetch(const mediation::HouseAdFetch&, std::function<void(mediation::HouseAdResult)>) override {}
    fnd::Value parseXML(const fnd::Bytes& data) const override {
        auto parsed = parser_.parse(data);
        return parsed ? parsed.value() : fnd::Value::dictionary();
    }
    mediation::HouseAd readHouseAd(const fnd::Value& element) const override {
        const auto ad = orvane::ORVOrvaneAd::initWithInfo(element);
        return mediation::HouseAd{ad.image, ad.adHTML, ad.clickURL, ad.openInSafari};
    }

private:
    orvane::ORVParser parser_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    static auto context = [] {
        auto made = mediation::makeMediation();
        made->setHouseAdService(std::make_shared<ParserService>());
        return made;
    }();
    mediation::HouseAdReply reply;
    reply.statusCode = 200;
    reply.data.assign(data, data + size);
    auto reading = context->orvaneAdInterface();
    const auto ad = reading->houseAdFromReply(reply);
    if (ad && ad->image.empty() && ad->adHTML.empty()) {
        std::abort(); // an ad always has something to show
    }
    const auto again = reading->houseAdFromReply(reply);
    if (ad.has_value() != again.has_value() || (ad && (ad->image != again->image || ad->adHTML != again->adHTML))) {
        std::abort();
    }
    return 0;
}
