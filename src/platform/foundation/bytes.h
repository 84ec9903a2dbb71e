// Byte buffers: the platform's data type.
#pragma once

#include <cstdint>
#include <vector>

namespace fnd {

using Bytes = std::vector<uint8_t>;

} // namespace fnd
