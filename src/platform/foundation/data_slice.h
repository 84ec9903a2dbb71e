// Data values that are a part of a larger shared buffer, such as a received frame: the value keeps that
// buffer alive instead of copying its bytes out. Such values behave like any other data value; asData()
// and dataRef() copy the part once, on first use, while dataBytes() reads any data value without a copy.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/foundation/value.h"

namespace fnd {

// A Data value for `part`, which must lie inside the buffer that `owner` keeps alive. The value (and every
// copy of it) holds `owner` for as long as it lives.
Value dataSlice(std::shared_ptr<const void> owner, std::span<const uint8_t> part);

// The bytes of a data value, valid while the value (or a copy of it) lives; empty for every other kind.
std::span<const uint8_t> dataBytes(const Value& v);

} // namespace fnd
