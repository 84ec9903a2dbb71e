// The deserializer front: one JSONScanner per call.
#include "ads/adwick/json/json_deserializer.h"

#include "ads/adwick/json/json_scanner.h"
#include "core/json_scan.h"
#include "platform/foundation/parse_error.h"

namespace zelvan::adwick {

namespace {

fnd::Error emptyDataError() {
    fnd::Error error = fnd::parseError(fnd::kParseTruncated, 0, "Could not deserialize empty data.");
    if (auto info = error.userInfo().asDictionary()) {
        info->setObject(fnd::Value(JSONDeserializer::kErrorDomain), fnd::Key(jsonscan::kErrorDomainKey));
        info->setObject(fnd::Value(-1), fnd::Key(jsonscan::kErrorCodeKey));
    }
    return error;
}

} // namespace

fnd::Result<fnd::Value> JSONDeserializer::deserializeAsDictionary(const fnd::Bytes& data) const {
    if (data.empty()) {
        return emptyDataError();
    }
    return JSONScanner(data).scanJSONDictionary();
}

fnd::Result<fnd::Value> JSONDeserializer::deserialize(const fnd::Bytes& data) const {
    if (data.empty()) {
        return emptyDataError();
    }
    return JSONScanner(data).scanJSONObject();
}

} // namespace zelvan::adwick
