// BPImageManipulator: rounded copies of the offer wall's icons.
#pragma once

#include "platform/graphics/image.h"

namespace zelvan::brightpoint {

class BPImageManipulator {
public:
    // A copy of `image` with corners `cornerWidth` across and `cornerHeight` down cut round (an unrounded
    // copy when either is 0); null for no image. The given reference is taken over.
    static gfx::ImagePtr makeRoundCornerImage(gfx::ImagePtr image, int cornerWidth, int cornerHeight);
};

} // namespace zelvan::brightpoint
