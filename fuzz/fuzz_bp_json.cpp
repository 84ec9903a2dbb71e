// Fuzz target: reply bytes through the offer wall's two deserializers must parse, give no value or be
// refused with a located error, never crash; whatever parses writes back as UTF-8 that reads again to an
// equal value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "offers/brightpoint/bp_json_deserializer.h"
#include "offers/brightpoint/bp_json_serializer.h"
#include "platform/foundation/encodings.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"

namespace {

// A number too large for a double reads as an infinity, which is written as null and so reads back as null.
bool holdsNonFinite(const fnd::Value& value) {
    if (auto d = value.asDouble()) {
        return !std::isfinite(*d);
    }
    if (auto array = value.asArray()) {
        for (const fnd::Value& item : *array) {
            if (holdsNonFinite(item)) {
                return true;
            }
        }
    }
    if (auto dict = value.asDictionary()) {
        for (const auto& [key, item] : *dict) {
            if (holdsNonFinite(item)) {
                return true;
            }
        }
    }
    return false;
}

void roundTrip(const fnd::Value& value) {
    const zelvan::brightpoint::BPJSONSerializer writer;
    auto text = writer.serializeObject(value);
    if (!text || !fnd::isValidUtf8(*text)) {
        std::abort(); // every scanned value can be written, as UTF-8
    }
    auto again = zelvan::brightpoint::BPJSONDeserializer().deserialize(fnd::Bytes(text->begin(), text->end()));
    if (!again || !again->has_value()) {
        std::abort();
    }
    if (!holdsNonFinite(value) && **again != value) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    const fnd::Bytes bytes(data, data + size);
    const zelvan::brightpoint::BPJSONDeserializer reader;
    auto any = reader.deserialize(bytes);
    if (!any) {
        if (!fnd::parseErrorOffset(any.error())) {
            std::abort();
        }
    } else if (any->has_value()) {
        roundTrip(**any);
    }
    auto table = reader.deserializeAsDictionary(bytes);
    if (!table) {
        if (!fnd::parseErrorOffset(table.error())) {
            std::abort();
        }
    } else {
        if (!table->isDictionary()) {
            std::abort();
        }
        roundTrip(*table);
    }
    return 0;
}
