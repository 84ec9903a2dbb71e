// Rounded icons through the graphics layer's one rounding routine.
#include "offers/brightpoint/bp_image_manipulator.h"

#include "platform/graphics/bitmap_context.h"

namespace zelvan::brightpoint {

gfx::ImagePtr BPImageManipulator::makeRoundCornerImage(gfx::ImagePtr image, int cornerWidth, int cornerHeight) {
    if (!image) {
        return nullptr;
    }
    gfx::ImagePtr rounded = gfx::makeRoundCornerImage(*image, cornerWidth, cornerHeight);
    image.reset();
    return rounded;
}

} // namespace zelvan::brightpoint
