// Shared body of the image decoder fuzz targets: any bytes give an image or a clean null; a decoded
// image has allowed dimensions and consistent premultiplied pixels, and survives a PNG round trip.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/foundation/log.h"
#include "platform/graphics/image.h"
#include "platform/graphics/png_codec.h"

namespace zelvan::fuzzing {

template <class Decoder>
int checkImageDecoder(const uint8_t* data, size_t size, Decoder decode) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    gfx::ImagePtr image = decode(std::span<const uint8_t>(data, size));
    if (!image) {
        return 0;
    }
    if (!gfx::imageDimensionsAllowed(image->width(), image->height())) {
        std::abort();
    }
    // Premultiplied pixels never have a colour channel above alpha.
    const uint8_t* px = image->data();
    const size_t length = image->bytesPerRow() * static_cast<size_t>(image->height());
    for (size_t i = 0; i < length; i += 4) {
        if (px[i] > px[i + 3] || px[i + 1] > px[i + 3] || px[i + 2] > px[i + 3]) {
            std::abort();
        }
    }
    fnd::Bytes png = gfx::pngRepresentation(*image);
    gfx::ImagePtr again = gfx::decodePng(png);
    if (!again || again->width() != image->width() || again->height() != image->height() ||
        !std::equal(px, px + length, again->data())) {
        std::abort();
    }
    return 0;
}

} // namespace zelvan::fuzzing
