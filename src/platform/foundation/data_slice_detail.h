// Internals shared by value.cpp and data_slice.cpp: a data value's buffer pointer is either a whole buffer
// or a slice's, and these read it as the one or the other. Not for use outside fnd::Value.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/foundation/bytes.h"

namespace fnd::slicedetail {

// The bytes behind a data value's buffer: a slice's part, or the whole buffer.
std::span<const uint8_t> bytesOf(const std::shared_ptr<const Bytes>& buffer);

// The buffer ready to read as Bytes. A slice's part is copied into its own buffer on the first call
// (once, whichever thread asks first); a whole buffer is returned as it is.
const Bytes* wholeBytes(const std::shared_ptr<const Bytes>& buffer);

} // namespace fnd::slicedetail
