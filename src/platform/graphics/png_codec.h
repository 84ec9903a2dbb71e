// PNG decoding (every colour type and bit depth, to premultiplied B,G,R,A) and encoding (stable
// RGBA 8-bit output) on libpng, with errors turned into null results and log lines.
#pragma once

#include <cstdint>
#include <span>

#include "platform/foundation/bytes.h"
#include "platform/graphics/image.h"

namespace gfx {

// Whether the bytes start with the PNG signature.
bool isPngData(std::span<const uint8_t> bytes);
// The decoded image (orientation Up), or null and a log line (also for an image larger than `limit`,
// refused after the header).
ImagePtr decodePng(std::span<const uint8_t> bytes, DecodeLimit limit = {});

} // namespace gfx
