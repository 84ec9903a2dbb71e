// Byte buffers: the platform's data type, with the editing helpers send and receive buffers use.
// Ranges outside the buffer are clipped to it, so no helper reads or writes out of bounds.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/foundation/range.h"

namespace fnd {

using Bytes = std::vector<uint8_t>;

// Whether `part` lies inside `data`'s storage. Appending or inserting part of a buffer into itself
// goes through a copy: the insertion may move the storage the span points into.
inline bool isPartOf(const Bytes& data, std::span<const uint8_t> part) {
    return !part.empty() && part.data() >= data.data() && part.data() < data.data() + data.size();
}

// Appends bytes (or the bytes of a text) to the end of `data`.
inline void append(Bytes& data, std::span<const uint8_t> more) {
    if (isPartOf(data, more)) {
        Bytes copy(more.begin(), more.end());
        data.insert(data.end(), copy.begin(), copy.end());
        return;
    }
    data.insert(data.end(), more.begin(), more.end());
}
inline void append(Bytes& data, std::string_view text) {
    data.insert(data.end(), text.begin(), text.end());
}

// The part of `data` clipped to `range`.
inline Range clipRange(const Bytes& data, Range range) {
    size_t from = std::min(range.location, data.size());
    return Range{from, std::min(range.length, data.size() - from)};
}

// Replaces the bytes in `range` (clipped to the buffer) with `replacement`.
inline void replaceBytesInRange(Bytes& data, Range range, std::span<const uint8_t> replacement) {
    if (isPartOf(data, replacement)) {
        Bytes copy(replacement.begin(), replacement.end());
        replaceBytesInRange(data, range, copy);
        return;
    }
    Range r = clipRange(data, range);
    auto first = data.begin() + static_cast<std::ptrdiff_t>(r.location);
    first = data.erase(first, first + static_cast<std::ptrdiff_t>(r.length));
    data.insert(first, replacement.begin(), replacement.end());
}

// A copy of the bytes in `range` (clipped to the buffer).
inline Bytes subdata(const Bytes& data, Range range) {
    Range r = clipRange(data, range);
    auto first = data.begin() + static_cast<std::ptrdiff_t>(r.location);
    return Bytes(first, first + static_cast<std::ptrdiff_t>(r.length));
}

// Drops the first `n` bytes (all of them when `n` is larger than the buffer).
inline void removePrefix(Bytes& data, size_t n) {
    data.erase(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(std::min(n, data.size())));
}

} // namespace fnd
