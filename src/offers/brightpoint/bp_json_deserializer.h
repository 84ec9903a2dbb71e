// BPJSONDeserializer: turns the offer wall's reply bytes into a value (deserialize) or a table
// (deserializeAsDictionary) through the lenient scanner; bytes after the value are ignored. Missing or
// empty data fails with code -1 of "BPJSONDeserializerErrorDomain". Logs nothing: the caller decides.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan::brightpoint {

// What turns reply bytes into values.
class BPDeserializerProtocol {
public:
    virtual ~BPDeserializerProtocol() = default;
    virtual fnd::Result<fnd::Value> deserializeAsDictionary(const fnd::Bytes& data) const = 0;
};

class BPJSONDeserializer : public BPDeserializerProtocol {
public:
    static constexpr std::string_view kBPJSONDeserializerErrorDomain = "BPJSONDeserializerErrorDomain";

    static std::shared_ptr<BPJSONDeserializer> deserializer() { return std::make_shared<BPJSONDeserializer>(); }

    // The text must open with '{' (no white space before it); anything else fails with -1 of the grammar.
    fnd::Result<fnd::Value> deserializeAsDictionary(const fnd::Bytes& data) const override;
    // Any value; nullopt, without an error, when the text holds no value at its top (such as "+1").
    fnd::Result<std::optional<fnd::Value>> deserialize(const fnd::Bytes& data) const;
};

} // namespace zelvan::brightpoint
