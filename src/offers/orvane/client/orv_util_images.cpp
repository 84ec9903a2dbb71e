// ORVUtil's images: scaled and rounded copies, the skin's gradient buttons and cell backgrounds, and
// reflections. Every image is drawn into a y-up bitmap context (top row at user y = height).
#include <array>

#include "offers/orvane/client/orv_util.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/gradient.h"
#include "platform/ui/image_view.h"

namespace zelvan::orvane {

namespace {

bool validSide(double side) {
    return side >= 1 && side <= ORVUtil::kMaxImageSide;
}

std::shared_ptr<gfx::BitmapContext> bitmap(int width, int height) {
    if (!validSide(width) || !validSide(height)) {
        return nullptr;
    }
    return gfx::BitmapContext::create(width, height, gfx::PixelFormat::Argb8PremulFirst);
}

// Fills the current clip with a gradient from `top` at the image's top row to `bottom` at its bottom row.
void fillGradient(gfx::Context& context, int height, int32_t top, int32_t bottom) {
    const gfx::Color a = gfx::Color::fromRgbHex(static_cast<uint32_t>(top));
    const gfx::Color b = gfx::Color::fromRgbHex(static_cast<uint32_t>(bottom));
    const std::array<double, 8> components = {a.r, a.g, a.b, 1, b.r, b.g, b.b, 1};
    const std::array<double, 2> locations = {0, 1};
    auto gradient = gfx::Gradient::withColorComponents(components, locations);
    context.drawLinearGradient(*gradient, gfx::Point(0, height), gfx::Point(0, 0),
                               gfx::GradientDrawingOptions::DrawsBeforeStart |
                                   gfx::GradientDrawingOptions::DrawsAfterEnd);
}

gfx::ImagePtr gradientImage(int32_t color, int width, int height, int top, int bottom, int cornerOval) {
    auto context = bitmap(width, height);
    if (!context) {
        return nullptr;
    }
    context->beginPath();
    context->addRoundedRectToPath(gfx::Rect(0, 0, width, height), cornerOval, cornerOval);
    context->clip();
    fillGradient(*context, height, ORVUtil::addWhite(color, top), ORVUtil::addWhite(color, bottom));
    return context->makeImage();
}

} // namespace

gfx::ImagePtr ORVUtil::scaleToSize(gfx::Size size, const gfx::ImagePtr& image) {
    auto context = image ? bitmap(static_cast<int>(size.width), static_cast<int>(size.height)) : nullptr;
    if (!context) {
        return nullptr;
    }
    context->drawImage(gfx::Rect(0, 0, context->width(), context->height()), *image);
    return context->makeImage();
}

gfx::ImagePtr ORVUtil::makeRoundCornerImage(const gfx::ImagePtr& image, int cornerWidth, int cornerHeight) {
    if (!image || !validSide(image->width()) || !validSide(image->height())) {
        return nullptr;
    }
    return gfx::makeRoundCornerImage(*image, cornerWidth, cornerHeight);
}

gfx::ImagePtr ORVUtil::gradientButtonImage(int width, int height, int top, int bottom) {
    return gradientImage(getUserDefinedColorCode(), width, height, top, bottom, kButtonCornerOval);
}

gfx::ImagePtr ORVUtil::primaryThemeColorGradientButtonImage(gfx::Size size) {
    return gradientButtonImage(static_cast<int>(size.width), static_cast<int>(size.height), kPrimaryGradientTop,
                               kPrimaryGradientBottom);
}

gfx::ImagePtr ORVUtil::userColorGradientButtonImage(int32_t colorCode, int width, int height, int top, int bottom) {
    return gradientImage(colorCode, width, height, top, bottom, kButtonCornerOval);
}

gfx::ImagePtr ORVUtil::gradientCellBackgroundImage(int width, int height, int top, int bottom) {
    return gradientImage(getUserDefinedColorCode(), width, height, top, bottom, 0);
}

gfx::ImagePtr ORVUtil::reflectedImage(const std::shared_ptr<ui::ImageView>& imageView, int height) {
    const gfx::ImagePtr image = imageView ? imageView->image() : nullptr;
    auto context = image ? bitmap(image->width(), height) : nullptr;
    if (!context) {
        return nullptr;
    }
    // The mask: white (covering) at its top row, fading to black at its bottom row, placed upright.
    fnd::Bytes ramp(static_cast<size_t>(height) * 4);
    for (int row = 0; row < height; ++row) {
        const auto grey = static_cast<uint8_t>(255 - (height > 1 ? row * 255 / (height - 1) : 0));
        ramp[row * 4] = ramp[row * 4 + 1] = ramp[row * 4 + 2] = grey;
        ramp[row * 4 + 3] = 255;
    }
    auto mask = gfx::Image::fromPixels(1, height, std::move(ramp));
    const double width = image->width();
    context->clipToMask(gfx::Rect(0, 0, width, height), *mask);
    // Flipped, the image's top row lands below the bitmap and its bottom row on the bitmap's top row.
    context->translateCTM(0, height);
    context->scaleCTM(1, -1);
    context->drawImage(gfx::Rect(0, 0, width, image->height()), *image);
    return context->makeImage();
}

} // namespace zelvan::orvane
