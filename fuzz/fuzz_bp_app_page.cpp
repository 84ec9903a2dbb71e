// Fuzz target: reply bytes read as a page of the apps tab's list, then each app record read as its row
// shows it (texts and payout lines). Never a crash; every kept record is an object and every payout line
// has its "Get " and "!".
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "offers/brightpoint/bp_app_record.h"
#include "offers/brightpoint/bp_data_source.h"
#include "offers/brightpoint/bp_json_deserializer.h"
#include "offers/brightpoint/bp_offer_support.h"
#include "platform/foundation/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        fnd::setMinLogLevel(fnd::LogLevel::Error);
        return true;
    }();
    (void)quiet;
    using namespace zelvan::brightpoint;
    std::optional<fnd::Value> reply;
    if (auto parsed = BPJSONDeserializer::deserializer()->deserialize(fnd::Bytes(data, data + size));
        parsed && parsed->has_value()) {
        reply = **parsed;
    }
    const auto apps = BPDataSource::offersFromReply(reply);
    if (!apps) {
        return 0;
    }
    for (const fnd::Value& app : *apps) {
        if (!app.isDictionary()) {
            std::abort();
        }
        const std::string line = BPPayoutLine(app, "coins");
        if (!line.starts_with("Get ") || !line.ends_with("!") || BPPayoutSubtitle(app, "coins") + "!" != line) {
            std::abort();
        }
        for (const char* key : {"title", "price", "body", "fineprint", "image_url", "screenshot_url", "url"}) {
            (void)BPOfferText(app, key);
        }
    }
    return 0;
}
