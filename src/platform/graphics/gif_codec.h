// GIF decoding of the first frame on giflib, honouring the frame's transparent colour index.
#pragma once

#include <cstdint>
#include <span>

#include "platform/graphics/image.h"

namespace gfx {

// Whether the bytes start with a GIF87a/GIF89a signature.
bool isGifData(std::span<const uint8_t> bytes);
// The first frame over the logical screen, or null and a log line.
ImagePtr decodeGif(std::span<const uint8_t> bytes);

} // namespace gfx
