// Fuzz target: the offer network's XML reply parser and its typed readers on untrusted replies. A reply
// either parses to a dictionary holding one root dictionary or is refused with an offset inside it, and
// the readers take any parsed value apart without failing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "offers/orvane/client/orv_parser.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"

namespace {

using zelvan::orvane::ORVParser;

// Reads every entry of every dictionary below `value` with each typed reader, `depth` levels at most.
void readAll(const fnd::Value& value, size_t depth) {
    if (depth > ORVParser::kMaxDepth + 1) {
        std::abort(); // the parser nests no deeper than its cap
    }
    if (auto array = value.asArray()) {
        for (size_t i = 0; i < array->count(); ++i) {
            readAll(array->objectAtIndex(i), depth);
        }
        return;
    }
    auto dictionary = value.asDictionary();
    if (!dictionary) {
        if (!value.isString()) {
            std::abort(); // only strings, dictionaries and arrays of them
        }
        return;
    }
    for (const auto& [key, entry] : *dictionary) {
        const std::string name = key.text();
        const auto text = ORVParser::stringValue(value, name);
        const auto number = ORVParser::integerValue(value, name);
        if (text.has_value() != number.has_value()) {
            std::abort();
        }
        const fnd::Value inner = ORVParser::dictionaryValue(value, name);
        if (!inner.isNull() && !inner.isDictionary()) {
            std::abort();
        }
        if (ORVParser::listValue(value, name).asArray()->count() == 0) {
            std::abort(); // a present key has at least one value
        }
        readAll(entry, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    static const ORVParser parser;
    auto parsed = parser.parse(std::span<const uint8_t>(data, size));
    if (!parsed.ok()) {
        if (fnd::parseErrorOffset(parsed.error()).value_or(size + 1) > size) {
            std::abort(); // a refusal names a place inside the input
        }
        return 0;
    }
    auto root = parsed.value().asDictionary();
    if (!root || root->count() != 1 || !root->begin()->second.isDictionary()) {
        std::abort();
    }
    readAll(parsed.value(), 0);
    return 0;
}
