// Activity indicator: its start/stop state, the hiding rule and a drawn wheel of twelve spokes.
#include "platform/ui/activity_indicator_view.h"

#include <cmath>

#include "platform/graphics/graphics_stack.h"

namespace ui {

std::shared_ptr<ActivityIndicatorView>
ActivityIndicatorView::initWithActivityIndicatorStyle(ActivityIndicatorViewStyle style) {
    const double side = sideForStyle(style);
    auto view = View::create<ActivityIndicatorView>(gfx::Rect(0, 0, side, side));
    view->setActivityIndicatorViewStyle(style);
    return view;
}

double ActivityIndicatorView::sideForStyle(ActivityIndicatorViewStyle style) {
    return style == ActivityIndicatorViewStyle::WhiteLarge ? 37 : 20;
}

void ActivityIndicatorView::initWithFrame(gfx::Rect frame) {
    const double side = sideForStyle(style_);
    View::initWithFrame(gfx::Rect(frame.origin, gfx::Size{side, side}));
    setContentMode(ContentMode::Redraw);
    updateHidden();
}

void ActivityIndicatorView::setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style) {
    style_ = style;
    const double side = sideForStyle(style);
    const gfx::Rect f = frame();
    setFrame(gfx::Rect(f.origin, gfx::Size{side, side}));
    setNeedsDisplay();
}

void ActivityIndicatorView::startAnimating() {
    animating_ = true;
    updateHidden();
    setNeedsDisplay();
}

void ActivityIndicatorView::stopAnimating() {
    animating_ = false;
    updateHidden();
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
    hidesWhenStopped_ = hides;
    updateHidden();
}

void ActivityIndicatorView::updateHidden() {
    if (hidesWhenStopped_) {
        setHidden(!animating_);
    }
}

gfx::Size ActivityIndicatorView::sizeThatFits(gfx::Size) const {
    const double side = sideForStyle(style_);
    return {side, side};
}

void ActivityIndicatorView::drawRect(gfx::Rect) {
    const auto ctx = gfx::getCurrentContext();
    if (!ctx) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Rect b = bounds();
    const gfx::Point c{b.midX(), b.midY()};
    const double outer = std::min(b.width(), b.height()) / 2;
    const double inner = outer * 0.45;
    const double level = style_ == ActivityIndicatorViewStyle::Gray ? 0.5 : 1.0;
    ctx->setLineWidth(std::max(2.0, outer / 5));
    ctx->setLineCap(gfx::LineCap::Round);
    for (int i = 0; i < 12; ++i) {
        const double angle = i * M_PI / 6;
        ctx->setStrokeColor(gfx::Color::white(level, 0.25 + 0.75 * i / 11.0));
        ctx->beginPath();
        ctx->moveToPoint(c.x + std::cos(angle) * inner, c.y + std::sin(angle) * inner);
        ctx->addLineToPoint(c.x + std::cos(angle) * (outer - 1), c.y + std::sin(angle) * (outer - 1));
        ctx->strokePath();
    }
}

} // namespace ui
