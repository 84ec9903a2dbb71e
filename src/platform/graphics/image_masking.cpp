// Derived images that cut pixels away: imageWithRect (a crop) and imageWithMask (alpha scaled by the
// inverse grey of a mask image).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/foundation/log.h"
#include "platform/graphics/image.h"

namespace gfx {

ImagePtr Image::imageWithRect(Rect rect) const {
    if (!std::isfinite(rect.origin.x) || !std::isfinite(rect.origin.y) || !std::isfinite(rect.size.width) ||
        !std::isfinite(rect.size.height)) {
        return nullptr;
    }
    Rect cut = rect.standardized().integral().intersection(Rect(0, 0, width_, height_));
    if (cut.isEmpty()) {
        return nullptr;
    }
    int x0 = int(cut.minX()), y0 = int(cut.minY()), w = int(cut.width()), h = int(cut.height());
    fnd::Bytes pixels(size_t(w) * size_t(h) * 4);
    for (int y = 0; y < h; ++y) {
        std::memcpy(pixels.data() + size_t(y) * size_t(w) * 4, data() + size_t(y0 + y) * bytesPerRow() + size_t(x0) * 4,
                    size_t(w) * 4);
    }
    return fromPixels(w, h, std::move(pixels), orientation_);
}

ImagePtr Image::imageWithMask(const Image& mask) const {
    if (mask.width() <= 0 || mask.height() <= 0) {
        ZLOG(Warn, "gfx: imageWithMask with an empty mask");
        return nullptr;
    }
    fnd::Bytes pixels(size_t(width_) * size_t(height_) * 4);
    for (int y = 0; y < height_; ++y) {
        // Nearest mask pixel to the centre of each image pixel.
        int my = std::min(mask.height() - 1, int((y + 0.5) * mask.height() / height_));
        const uint8_t* in = data() + size_t(y) * bytesPerRow();
        uint8_t* out = pixels.data() + size_t(y) * bytesPerRow();
        for (int x = 0; x < width_; ++x) {
            int mx = std::min(mask.width() - 1, int((x + 0.5) * mask.width() / width_));
            const uint8_t* m = mask.data() + size_t(my) * mask.bytesPerRow() + size_t(mx) * 4;
            uint32_t grey = (114 * m[0] + 587 * m[1] + 299 * m[2] + 500) / 1000;
            uint32_t keep = 255 - grey;
            // Premultiplied: every channel scales with the alpha.
            for (int c = 0; c < 4; ++c) {
                out[x * 4 + c] = uint8_t((in[x * 4 + c] * keep + 127) / 255);
            }
        }
    }
    return fromPixels(width_, height_, std::move(pixels), orientation_);
}

} // namespace gfx
