// Fuzz target: reply bytes through the banner client's two deserializers must parse or be refused,
// never crash; whatever parses writes back as valid UTF-8 that reads again and writes the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ads/adwick/json/json_deserializer.h"
#include "ads/adwick/json/json_serializer.h"
#include "platform/foundation/encodings.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"

namespace {

void roundTrip(const fnd::Value& value) {
    const zelvan::adwick::JSONSerializer writer;
    auto text = writer.serializeObject(value);
    if (!text) {
        std::abort(); // every scanned value can be written
    }
    if (!fnd::isValidUtf8(*text)) {
        std::abort();
    }
    auto again = zelvan::adwick::JSONDeserializer().deserialize(fnd::Bytes(text->begin(), text->end()));
    if (!again) {
        std::abort();
    }
    auto second = writer.serializeObject(*again);
    if (!second || *second != *text) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    const fnd::Bytes bytes(data, data + size);
    const zelvan::adwick::JSONDeserializer reader;
    for (bool asDictionary : {false, true}) {
        auto value = asDictionary ? reader.deserializeAsDictionary(bytes) : reader.deserialize(bytes);
        if (!value) {
            if (!fnd::parseErrorOffset(value.error())) {
                std::abort();
            }
            continue;
        }
        if (asDictionary && !value->isDictionary()) {
            std::abort();
        }
        roundTrip(*value);
    }
    return 0;
}
