// Painting the visible part of a rendered page and turning taps into page points.
#include "platform/ui/web_page_view.h"

#include "platform/graphics/graphics_stack.h"
#include "platform/ui/touch.h"
#include "platform/ui/web_page_renderer.h"

namespace ui {

void WebPageView::initWithFrame(gfx::Rect frame) {
    ScrollView::initWithFrame(frame);
    setBackgroundColor(gfx::Color::clear());
    setContentMode(ContentMode::Redraw);
    setAutoresizingMask(AutoresizingMask::FlexibleWidth | AutoresizingMask::FlexibleHeight);
}

void WebPageView::setPage(WebPageRenderer* renderer, double scale) {
    renderer_ = renderer;
    scale_ = scale > 0 ? scale : 1;
    setNeedsDisplay();
}

void WebPageView::drawRect(gfx::Rect rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx || renderer_ == nullptr) {
        return;
    }
    // The context's user space is this view's bounds space, whose origin is the content offset.
    gfx::StateSaver saver(*ctx);
    ctx->clipToRect(rect);
    ctx->scaleCTM(scale_, scale_);
    const gfx::Rect pageRect(rect.minX() / scale_, rect.minY() / scale_, rect.width() / scale_, rect.height() / scale_);
    renderer_->draw(*ctx, pageRect);
}

void WebPageView::contentTouchesEnded(const TouchSet& touches, const Event* event) {
    ScrollView::contentTouchesEnded(touches, event);
    if (touches.empty() || !onTap_) {
        return;
    }
    const gfx::Point p = touches.front()->locationInView(this);
    const auto handler = onTap_; // the handler may replace itself (a navigation, a new page)
    handler(gfx::Point(p.x / scale_, p.y / scale_));
}

} // namespace ui
