// Fuzz target: any text through the interstitial client's JSON reader, with and without scalars, parses
// or is refused at an offset inside the text; whatever parses is written by the client's writer and
// reads back equal (booleans as the numbers 1 and 0).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "ads/marlin/json.h"
#include "ads/marlin/json_text_parser.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"

namespace {

// Equal once written: the writer gives booleans as the numbers 1 and 0, everything else as it is.
bool sameAfterWriting(const fnd::Value& read, const fnd::Value& again, int depth = 0) {
    if (depth > fnd::Value::kMaxDepth) {
        return false;
    }
    if (auto b = read.asBool()) {
        return again.isNumber() && again == fnd::Value(*b ? 1 : 0);
    }
    if (auto array = read.asArray()) {
        auto other = again.asArray();
        if (!other || other->count() != array->count()) {
            return false;
        }
        for (size_t i = 0; i < array->count(); ++i) {
            if (!sameAfterWriting(array->objectAtIndex(i), other->objectAtIndex(i), depth + 1)) {
                return false;
            }
        }
        return true;
    }
    if (auto dictionary = read.asDictionary()) {
        auto other = again.asDictionary();
        if (!other || other->count() != dictionary->count()) {
            return false;
        }
        for (const auto& [key, value] : *dictionary) {
            const fnd::Value* found = other->find(key);
            if (!found || !sameAfterWriting(value, *found, depth + 1)) {
                return false;
            }
        }
        return true;
    }
    return read == again;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t scanned = std::min(size, text.find('\0')); // a NUL ends the text
    zelvan::marlin::JsonTextParser parser;
    for (bool allowScalar : {false, true}) {
        auto value = parser.objectWithString(text, allowScalar);
        if (!value) {
            auto offset = fnd::parseErrorOffset(value.error());
            if (!offset || *offset > scanned || value.error().localizedFailureReason().empty()) {
                std::abort();
            }
            continue;
        }
        if (!allowScalar && !value->isArray() && !value->isDictionary()) {
            std::abort();
        }
        zelvan::marlin::JSON writer;
        if (!writer.addObject(*value)) {
            std::abort(); // everything the reader makes is representable
        }
        auto again = parser.objectWithString(writer.string(), true);
        if (!again || !sameAfterWriting(*value, *again)) {
            std::abort();
        }
    }
    return 0;
}
