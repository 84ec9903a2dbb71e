// The checks and typed readers every XML ad reply goes through.
#include "ads/mediation/house_ad_reply.h"

#include "ads/mediation/med_log.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"

namespace zelvan::mediation {
namespace {

fnd::Value firstOf(const fnd::Value& parent, std::string_view key) {
    auto dict = parent.asDictionary();
    if (!dict) {
        return fnd::Value();
    }
    fnd::Value value = dict->objectForKey(key);
    if (auto list = value.asArray()) {
        value = list->count() > 0 ? list->objectAtIndex(0) : fnd::Value();
    }
    return value;
}

} // namespace

std::optional<fnd::Value> parseHouseAdReply(const HouseAdResult& reply, const HouseAdService* service) {
    if (!reply) {
        MED_LOG_FAILURE(3, "Error while attempting to fetch data from server: %@",
                        reply.error().localizedDescription());
        return std::nullopt;
    }
    if (reply->statusCode != 200) {
        MED_LOG_FAILURE(3,
                        "Unexpected HTTP response status code while attempting to fetch data from server:: Status "
                        "Code = %d",
                        reply->statusCode);
        return std::nullopt;
    }
    if (reply->data.empty()) {
        MED_LOG_FAILURE(3, "No data received while attempting to fetch data from server.");
        return std::nullopt;
    }
    return service ? service->parseXML(reply->data) : fnd::Value::dictionary();
}

fnd::Value xmlElement(const fnd::Value& parent, std::string_view key) {
    fnd::Value value = firstOf(parent, key);
    return value.isDictionary() ? value : fnd::Value();
}

std::string xmlText(const fnd::Value& parent, std::string_view key) {
    fnd::Value value = firstOf(parent, key);
    if (auto text = value.asString()) {
        return *text;
    }
    return std::string();
}

} // namespace zelvan::mediation
