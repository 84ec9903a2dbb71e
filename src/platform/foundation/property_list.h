// Reader for XML property lists (dict, array, string, integer, real, true, false, date, data) into
// fnd::Value. The input is treated as untrusted: no network, no DTD loading, no entity expansion,
// bounded size and nesting.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"

namespace fnd {

class PropertyList {
public:
    // Nesting of dicts and arrays allowed below the <plist> element.
    static constexpr int kMaxDepth = 64;
    // Largest document accepted.
    static constexpr size_t kMaxBytes = 16 * 1024 * 1024;

    // The value inside <plist>...</plist>, or nullopt (with a log line saying why) when the bytes
    // are not a well-formed XML property list within the limits. Dicts become Dictionary values in
    // document order, integers Int, reals Double, dates Date, data Data.
    static std::optional<Value> read(const Bytes& bytes);
    static std::optional<Value> read(std::string_view text);
};

} // namespace fnd
