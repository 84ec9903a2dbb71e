// Painting of the rounded panel: the fill colour inside a rounded-rectangle path, with the shadow of
// the context's state when asked for, the shape inset so the shadow stays inside the view.
#include "toolkit/z_rounded_corner_view.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/graphics_stack.h"
#include "toolkit/widget_layout.h"

namespace zelvan {

void ZRoundedCornerView::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setOpaque(false);
    setBackgroundColor(gfx::Color::clear());
    setContentMode(ui::ContentMode::Redraw);
}

void ZRoundedCornerView::setFillColor(const gfx::Color& color) {
    fillColor_ = color;
    setNeedsDisplay();
}

void ZRoundedCornerView::setRadius(double radius) {
    radius_ = std::isfinite(radius) ? std::max(0.0, radius) : 0.0;
    setNeedsDisplay();
}

void ZRoundedCornerView::setShadow(bool shadow) {
    shadow_ = shadow;
    setNeedsDisplay();
}

void ZRoundedCornerView::setShadowBlur(double blur) {
    shadowBlur_ = std::isfinite(blur) ? std::max(0.0, blur) : 0.0;
    setNeedsDisplay();
}

void ZRoundedCornerView::setShadowOffset(gfx::Size offset) {
    shadowOffset_ = {std::isfinite(offset.width) ? offset.width : 0, std::isfinite(offset.height) ? offset.height : 0};
    setNeedsDisplay();
}

gfx::Rect ZRoundedCornerView::shapeRect() const {
    gfx::Rect rect(0, 0, bounds().width(), bounds().height());
    if (!shadow_) {
        return rect;
    }
    // Room on every side for the blur plus the larger offset, so neither edge of the shadow is cut.
    const double extent = shadowBlur_ + std::max(std::fabs(shadowOffset_.width), std::fabs(shadowOffset_.height));
    const double inset = std::min(extent, std::min(rect.width(), rect.height()) / 2);
    return rect.insetBy(inset, inset);
}

void ZRoundedCornerView::drawRect(gfx::Rect /*rect*/) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    const gfx::Rect shape = shapeRect();
    if (shape.width() <= 0 || shape.height() <= 0) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    if (shadow_) {
        ctx->setShadow(shadowOffset_, shadowBlur_);
    }
    ctx->setFillColor(fillColor_);
    ctx->beginPath();
    CGContextAddRoundedRect(*ctx, shape.minX(), shape.minY(), shape.width(), shape.height(), radius_);
    ctx->fillPath();
}

} // namespace zelvan
