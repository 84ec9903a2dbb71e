// The engine's drawing helpers: anchored system-font text and bitmap context creation.
#include "games/engine/natives/drawing_helpers.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/image.h"
#include "platform/graphics/text_drawing.h"
#include "protocol/tracer.h"

namespace zelvan {
namespace {

constexpr int kUnlimited = std::numeric_limits<int32_t>::max();

// How much of the measured extent an anchor moves the origin back: 0 none, 1 half, 2 all of it.
struct AnchorShift {
    int horizontal;
    int vertical;
};

AnchorShift textAnchorShift(int anchor) {
    switch (anchor) {
    case 8:
        return {1, 0};
    case 9:
        return {2, 0};
    case 4:
        return {0, 1};
    case 5:
        return {1, 1};
    case 6:
        return {2, 1};
    case 1:
        return {0, 2};
    case 2:
        return {1, 2};
    case 3:
        return {2, 2};
    default: // 7 and every other value: top-left
        return {0, 0};
    }
}

// origin - extent x shift/2, worked in floating point and truncated toward zero. Kept as a double
// so origins near the ends of the int range cannot overflow.
double placeAlong(int origin, double extent, int shift) {
    return std::trunc(static_cast<double>(origin) - extent * shift / 2.0);
}

} // namespace

void CGContextDrawText(const std::shared_ptr<gfx::Context>& context, std::string_view text,
                       std::shared_ptr<gfx::Font> font, int x, int y, int anchor, int width, int height,
                       gfx::LineBreakMode mode) {
    if (!context) {
        return;
    }
    if (!font) {
        font = gfx::Font::withName("Helvetica-Bold", 14);
    }
    const double maxWidth = width == -1 ? kUnlimited : width;
    const double maxHeight = height == -1 ? kUnlimited : height;
    const gfx::Size measured = gfx::sizeWithFont(text, font, gfx::Size{maxWidth, maxHeight}, mode);

    const AnchorShift shift = textAnchorShift(anchor);
    const gfx::Rect rect{placeAlong(x, measured.width, shift.horizontal),
                         placeAlong(y, measured.height, shift.vertical), measured.width, measured.height};

    gfx::pushContext(context);
    gfx::drawInRect(text, rect, font, mode);
    gfx::popContext();
}

std::shared_ptr<gfx::BitmapContext> MyCreateBitmapContext(int width, int height) {
    if (!gfx::imageDimensionsAllowed(width, height)) {
        ZTRACE_WARN("refusing a %dx%d bitmap context", width, height);
        return nullptr;
    }
    std::shared_ptr<gfx::BitmapContext> context =
        gfx::BitmapContext::create(width, height, gfx::PixelFormat::Bgra8PremulFirstLE);
    if (!context) {
        ZTRACE_WARN("could not create a %dx%d bitmap context", width, height);
    }
    return context;
}

} // namespace zelvan
