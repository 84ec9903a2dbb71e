// Typed reads of a received packet's elements for the messenger's command handlers: a string or an
// array where the element is one (null otherwise), and integers by the core's intValue rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/category_helpers.h"
#include "platform/foundation/array.h"

namespace zelvan::packet {

// The element at `index` when it is a string.
inline const std::string* stringAt(const fnd::Array& p, size_t index) {
    return index < p.count() ? p.objectAtIndex(index).asString() : nullptr;
}

// The element at `index` when it is an array.
inline std::shared_ptr<fnd::Array> arrayAt(const fnd::Array& p, size_t index) {
    return index < p.count() ? p.objectAtIndex(index).asArray() : nullptr;
}

// The element at `index` as an integer (2147483647 past the end).
inline int32_t intAt(const fnd::Array& p, size_t index) {
    return intValue(p, static_cast<int>(index));
}

} // namespace zelvan::packet
