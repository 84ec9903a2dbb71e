// JPEG decoding (grey, RGB, CMYK; EXIF orientation read, pixels left as stored) and baseline
// encoding on libjpeg, with library errors turned into null results and log lines.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/graphics/image.h"

namespace gfx {

// Whether the bytes start with a JPEG start-of-image marker.
bool isJpegData(std::span<const uint8_t> bytes);
// The decoded image with its EXIF orientation, or null and a log line (also for an image larger than
// `limit`, refused after the header).
ImagePtr decodeJpeg(std::span<const uint8_t> bytes, DecodeLimit limit = {});
// The orientation in an APP1 "Exif" segment's payload (starting at "Exif\0\0"), or nullopt when
// the payload has no valid orientation tag in IFD0.
std::optional<ImageOrientation> exifOrientation(std::span<const uint8_t> app1);

} // namespace gfx
