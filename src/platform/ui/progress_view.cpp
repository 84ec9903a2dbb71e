// Progress view: the clamped value and the drawn track with its filled part.
#include "platform/ui/progress_view.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/graphics_stack.h"

namespace ui {

std::shared_ptr<ProgressView> ProgressView::initWithProgressViewStyle(ProgressViewStyle style) {
    auto view = View::create<ProgressView>(gfx::Rect(0, 0, 0, kHeight));
    view->style_ = style;
    return view;
}

void ProgressView::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(gfx::Rect(frame.origin, gfx::Size{frame.width(), kHeight}));
    setContentMode(ContentMode::Redraw);
}

void ProgressView::setProgressViewStyle(ProgressViewStyle style) {
    style_ = style;
    setNeedsDisplay();
}

void ProgressView::setProgress(double progress) {
    progress_ = std::isnan(progress) ? 0.0 : std::clamp(progress, 0.0, 1.0);
    setNeedsDisplay();
}

void ProgressView::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Rect b = bounds();
    const bool bar = style_ == ProgressViewStyle::Bar;
    ctx->setFillColor(bar ? gfx::Color::white(0.35, 1) : gfx::Color::white(0.85, 1));
    ctx->fillRect(b);
    ctx->setFillColor(bar ? gfx::Color::white(0.9, 1) : gfx::Color(0.15, 0.4, 0.85, 1));
    ctx->fillRect(gfx::Rect(b.minX(), b.minY(), std::round(b.width() * progress_), b.height()));
}

} // namespace ui
