// The Selvo client's drawn button pictures, in the bitmap context's own y-up space.
#include "ads/selvo/view/sv_image_factory.h"

#include <cmath>

namespace zelvan::selvo {

std::shared_ptr<gfx::BitmapContext> SVImageFactory::newContext(gfx::Size size) const {
    return gfx::BitmapContext::create(static_cast<int>(std::trunc(size.width)),
                                      static_cast<int>(std::trunc(size.height)), gfx::PixelFormat::Rgba8PremulLast);
}

gfx::ImagePtr SVImageFactory::newBackArrowImageRef() const {
    auto context = newContext(gfx::Size(kSize, kSize));
    if (!context) {
        return nullptr;
    }
    context->setFillColor(gfx::Color::black());
    context->beginPath();
    context->moveToPoint(8, 13);
    context->addLineToPoint(24, 4.05);
    context->addLineToPoint(24, 22);
    context->closePath();
    context->fillPath();
    return context->makeImage();
}

gfx::ImagePtr SVImageFactory::newDismissImageRef() const {
    auto context = newContext(gfx::Size(kSize, kSize));
    if (!context) {
        return nullptr;
    }
    const gfx::Rect circle(3, 3, 23, 23);
    context->setFillColor(gfx::Color::black());
    context->fillEllipseInRect(circle);
    context->setStrokeColor(gfx::Color::white());
    context->setLineWidth(2);
    context->strokeEllipseInRect(circle);
    context->setLineWidth(3);
    context->beginPath();
    context->moveToPoint(10, 10);
    context->addLineToPoint(19, 19);
    context->moveToPoint(10, 19);
    context->addLineToPoint(19, 10);
    context->strokePath();
    return context->makeImage();
}

} // namespace zelvan::selvo
