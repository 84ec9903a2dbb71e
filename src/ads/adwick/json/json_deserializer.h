// JSONDeserializer: turns reply bytes into a table (deserializeAsDictionary) or any JSON value
// (deserialize). Bytes after the value are not examined; empty data fails with code -1 of
// "JSONDeserializerErrorDomain". Logs nothing: the caller decides.
#pragma once

#include <memory>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan::adwick {

class JSONDeserializer {
public:
    static constexpr std::string_view kErrorDomain = "JSONDeserializerErrorDomain";

    static std::shared_ptr<JSONDeserializer> deserializer() { return std::make_shared<JSONDeserializer>(); }

    // The text must open with '{' (no white space before it).
    fnd::Result<fnd::Value> deserializeAsDictionary(const fnd::Bytes& data) const;
    fnd::Result<fnd::Value> deserialize(const fnd::Bytes& data) const;
};

} // namespace zelvan::adwick
