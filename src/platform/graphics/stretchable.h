// The geometry of drawing a stretchable image: how a target rect splits into source -> destination
// slices so that the end caps stay unscaled and the one-point band after each cap stretches.
#pragma once

#include <vector>

#include "platform/graphics/geometry.h"

namespace gfx {

// Stretch caps of an image, as recorded by stretchableImageWithLeftCapWidth.
struct StretchCaps {
    int left = 0;
    int top = 0;
};

// One piece to draw: the part `src` of the image (pixels, (0, 0) the top-left) scaled into `dst`
// (user space, src's top edge at dst's minimum y).
struct StretchSlice {
    Rect src;
    Rect dst;
    bool operator==(const StretchSlice&) const = default;
};

// The slices that draw an image of `imageSize` with `caps` into `destRect` (standardized first),
// row by row from the top, left to right. Per axis: a cap of 0 scales the whole length; otherwise
// the cap (clamped to length - 1) and the far cap (length - cap - 1) keep their size, the band of
// one point between them takes up the rest, and when the target is shorter than both caps together
// the caps shrink in proportion and the band disappears. Slices of zero size are left out, so the
// result has 9, 6, 4, 3, 2 or 1 entries (none for an empty image or target).
std::vector<StretchSlice> stretchSlices(Size imageSize, StretchCaps caps, Rect destRect);

} // namespace gfx
