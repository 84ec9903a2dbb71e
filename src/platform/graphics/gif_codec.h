// GIF decoding of the first frame on giflib, honouring the frame's transparent colour index.
#pragma once

#include <cstdint>
#include <span>

#include "platform/graphics/image.h"

namespace gfx {

// Whether the bytes start with a GIF87a/GIF89a signature.
bool isGifData(std::span<const uint8_t> bytes);
// The first frame over the logical screen, or null and a log line (also for a canvas larger than
// `limit`, refused before the frame's pixels are read).
ImagePtr decodeGif(std::span<const uint8_t> bytes, DecodeLimit limit = {});

} // namespace gfx
