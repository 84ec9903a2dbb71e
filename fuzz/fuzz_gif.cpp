// Fuzz target: the GIF decoder must turn any bytes into an image or a clean null. A decoded
// image must have consistent pixels, and re-encoding it as PNG must give the same pixels back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/foundation/log.h"
#include "platform/graphics/gif_codec.h"
#include "platform/graphics/image.h"
#include "platform/graphics/png_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    gfx::ImagePtr image = gfx::decodeGif(std::span<const uint8_t>(data, size));
    if (!image) {
        return 0;
    }
    if (!gfx::imageDimensionsAllowed(image->width(), image->height())) {
        std::abort();
    }
    // Premultiplied pixels never have a colour channel above alpha.
    const uint8_t* px = image->data();
    for (size_t i = 0; i < image->bytesPerRow() * static_cast<size_t>(image->height()); i += 4) {
        if (px[i] > px[i + 3] || px[i + 1] > px[i + 3] || px[i + 2] > px[i + 3]) {
            std::abort();
        }
    }
    fnd::Bytes png = gfx::pngRepresentation(*image);
    gfx::ImagePtr again = gfx::decodePng(png);
    if (!again || again->width() != image->width() || again->height() != image->height() ||
        !std::equal(px, px + image->bytesPerRow() * static_cast<size_t>(image->height()), again->data())) {
        std::abort();
    }
    return 0;
}
