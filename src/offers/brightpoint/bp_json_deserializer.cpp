// The deserializer front: one BPJSONScanner per call.
#include "offers/brightpoint/bp_json_deserializer.h"

#include "core/json_scan.h"
#include "offers/brightpoint/bp_json_scanner.h"
#include "platform/foundation/parse_error.h"

namespace zelvan::brightpoint {

namespace {

fnd::Error emptyDataError() {
    fnd::Error error = fnd::parseError(fnd::kParseTruncated, 0, "no data");
    if (auto info = error.userInfo().asDictionary()) {
        info->setObject(fnd::Value(BPJSONDeserializer::kBPJSONDeserializerErrorDomain),
                        fnd::Key(jsonscan::kErrorDomainKey));
        info->setObject(fnd::Value(-1), fnd::Key(jsonscan::kErrorCodeKey));
    }
    return error;
}

} // namespace

fnd::Result<fnd::Value> BPJSONDeserializer::deserializeAsDictionary(const fnd::Bytes& data) const {
    if (data.empty()) {
        return emptyDataError();
    }
    return BPJSONScanner(data).scanJSONDictionary();
}

fnd::Result<std::optional<fnd::Value>> BPJSONDeserializer::deserialize(const fnd::Bytes& data) const {
    if (data.empty()) {
        return emptyDataError();
    }
    return BPJSONScanner(data).scanJSONObject();
}

} // namespace zelvan::brightpoint
