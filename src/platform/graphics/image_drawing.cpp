// Image::drawInRect and Image::drawAtPoint: drawing into the current context as into a y-down space,
// so the image's top row lies at the rect's minimum y (upside down in a y-up bitmap context), with
// the image's orientation applied.
#include "platform/graphics/context.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/image.h"

namespace gfx {

void Image::drawInRect(Rect rect) const {
    std::shared_ptr<Context> context = getCurrentContext();
    if (!context) {
        return;
    }
    Rect dest = rect.standardized();
    // The stored pixels of a rotated photo are drawn turned upright, as the original's image
    // drawing did (drawImage on the context itself ignores orientation).
    ImagePtr upright = orientation() == ImageOrientation::Up ? nullptr : uprightCopy();
    const Image& source = upright ? *upright : *this;
    // Flip about the rect's horizontal centre line; drawImage then puts the top row at the flipped
    // maximum y, which is minY here. x is untouched, so nothing mirrors sideways.
    StateSaver saver(*context);
    context->translateCTM(0, dest.minY() + dest.maxY());
    context->scaleCTM(1, -1);
    context->drawImage(dest, source);
}

void Image::drawAtPoint(Point point) const {
    drawInRect(Rect(point, size()));
}

} // namespace gfx
