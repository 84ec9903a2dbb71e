// ORVParser: the offer network's XML reply parser (libxml2, no network, no DTD or entity loading), which
// turns a reply into nested dictionaries, and the typed readers that take values out of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"

namespace zelvan::orvane {

class ORVParser {
public:
    // Elements nest at most this deep (the root is depth 1).
    static constexpr size_t kMaxDepth = 64;
    // Elements and attributes of one reply together.
    static constexpr size_t kMaxEntries = 100000;
    // The largest reply read.
    static constexpr size_t kMaxInputBytes = 4 * 1024 * 1024;

    ORVParser();

    // The shared parser of the context; null when there is none (orvane_entry_points.cpp).
    static std::shared_ptr<ORVParser> sharedParserInstance();

    // The reply as a dictionary holding the root element under its name. Each element is a dictionary
    // of its attributes (namespace declarations left out) and of its child elements under their names,
    // in document order; a name that repeats becomes an array of the values in order; a child element
    // whose text, trimmed of blanks and line breaks, is not empty is that trimmed text instead of a
    // dictionary (its own children and attributes are then dropped). The root is always a dictionary.
    // The bytes are read as UTF-8. Empty or not well-formed input, an input over kMaxInputBytes, nesting
    // beyond kMaxDepth or more than kMaxEntries give a parse error (fnd::parseError) with the offset of
    // the fault. Entity references other than the predefined and character ones read as nothing.
    // Logs nothing. Any thread.
    fnd::Result<fnd::Value> parse(std::span<const uint8_t> bytes) const;

    // --- Typed readers of a parsed dictionary. A repeated element (an array) reads as its first value. ---
    // A text value; an element with no text, children or attributes reads as "". Absent for a missing
    // key, a non-dictionary, or an element with children.
    static std::optional<std::string> stringValue(const fnd::Value& dictionary, std::string_view key);
    // The leading decimal number of the text value (0 when it has none; saturating at the 64-bit
    // limits); absent when stringValue is.
    static std::optional<int64_t> integerValue(const fnd::Value& dictionary, std::string_view key);
    // An element's dictionary; Null when missing or when the element is text.
    static fnd::Value dictionaryValue(const fnd::Value& dictionary, std::string_view key);
    // Every value under the key as an array: the repeats, one value alone, or none (an empty array).
    static fnd::Value listValue(const fnd::Value& dictionary, std::string_view key);
};

} // namespace zelvan::orvane
