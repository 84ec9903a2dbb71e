// A location and length, used for UTF-16 ranges of text and for ranges of array elements and bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fnd {

// The "not found" location of a search.
inline constexpr size_t kNotFound = SIZE_MAX;

struct Range {
    size_t location = 0;
    size_t length = 0;

    constexpr size_t end() const { return location + length; }
    constexpr bool found() const { return location != kNotFound; }
    constexpr bool operator==(const Range&) const = default;

    static constexpr Range notFound() { return Range{kNotFound, 0}; }
};

} // namespace fnd
