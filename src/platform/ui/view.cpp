// View basics: construction, appearance properties, tags, content-mode placement, the view's own
// layer and its place in the responder chain.
#include "platform/ui/view.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/application.h"
#include "platform/ui/layer.h"
#include "platform/ui/window.h"

namespace ui {

View::View() = default;

View::~View() = default;

void View::initWithFrame(gfx::Rect frame) {
    gfx::Rect f = frame.standardized();
    bounds_ = gfx::Rect(0, 0, f.size.width, f.size.height);
    center_ = gfx::Point{f.midX(), f.midY()};
    needsLayout_ = true;
    if (drawsOwnContent()) {
        markNeedsDisplay(bounds_);
    }
    syncLayer();
}

void View::setAlpha(double alpha) {
    const double old = alpha_;
    alpha_ = alpha;
    syncLayer();
    ViewAnimations::recordChange(*this, "alpha", old, alpha);
}

void View::setHidden(bool hidden) {
    const bool changed = hidden_ != hidden;
    hidden_ = hidden;
    syncLayer();
    if (changed) {
        // A superview may lay its subviews out around the ones that show (containers give a hidden
        // bar's room to their content).
        if (auto superview = superview_.lock()) {
            superview->setNeedsLayout();
        }
    }
    if (!hidden) {
        // Damage recorded while hidden is drawn now that the view shows again.
        Application::shared().setNeedsPasses();
    }
}

void View::setBackgroundColor(const gfx::Color& color) {
    const gfx::Color old = backgroundColor_;
    backgroundColor_ = color;
    syncLayer();
    ViewAnimations::recordChange(*this, "backgroundColor", old, color);
}

void View::setClipsToBounds(bool clips) {
    clipsToBounds_ = clips;
    syncLayer();
}

void View::setContentMode(ContentMode mode) {
    contentMode_ = mode;
}

std::shared_ptr<View> View::viewWithTag(int64_t tag) {
    if (tag_ == tag) {
        return self();
    }
    for (const auto& subview : subviews_) {
        if (auto found = subview->viewWithTag(tag)) {
            return found;
        }
    }
    return nullptr;
}

gfx::Rect View::contentModeRect(ContentMode mode, gfx::Size content, gfx::Rect bounds) {
    const double bw = bounds.size.width;
    const double bh = bounds.size.height;
    const double cw = content.width;
    const double ch = content.height;
    const double x0 = bounds.origin.x;
    const double y0 = bounds.origin.y;
    switch (mode) {
    case ContentMode::ScaleToFill:
    case ContentMode::Redraw:
        return bounds;
    case ContentMode::AspectFit:
    case ContentMode::AspectFill: {
        if (cw <= 0 || ch <= 0) {
            return bounds;
        }
        const double sx = bw / cw;
        const double sy = bh / ch;
        const double s = mode == ContentMode::AspectFit ? std::min(sx, sy) : std::max(sx, sy);
        const double w = cw * s;
        const double h = ch * s;
        return gfx::Rect(x0 + (bw - w) / 2, y0 + (bh - h) / 2, w, h);
    }
    case ContentMode::Center:
        return gfx::Rect(x0 + (bw - cw) / 2, y0 + (bh - ch) / 2, cw, ch);
    case ContentMode::Top:
        return gfx::Rect(x0 + (bw - cw) / 2, y0, cw, ch);
    case ContentMode::Bottom:
        return gfx::Rect(x0 + (bw - cw) / 2, y0 + bh - ch, cw, ch);
    case ContentMode::Left:
        return gfx::Rect(x0, y0 + (bh - ch) / 2, cw, ch);
    case ContentMode::Right:
        return gfx::Rect(x0 + bw - cw, y0 + (bh - ch) / 2, cw, ch);
    case ContentMode::TopLeft:
        return gfx::Rect(x0, y0, cw, ch);
    case ContentMode::TopRight:
        return gfx::Rect(x0 + bw - cw, y0, cw, ch);
    case ContentMode::BottomLeft:
        return gfx::Rect(x0, y0 + bh - ch, cw, ch);
    case ContentMode::BottomRight:
        return gfx::Rect(x0 + bw - cw, y0 + bh - ch, cw, ch);
    }
    return bounds;
}

std::shared_ptr<Layer> View::layer() {
    if (!layer_) {
        layer_ = layerClass();
        if (!layer_) {
            layer_ = Layer::create();
        }
        syncLayer();
    }
    return layer_;
}

std::shared_ptr<Layer> View::layerClass() const {
    return Layer::create();
}

void View::syncLayer() {
    if (!layer_) {
        return;
    }
    layer_->setBounds(bounds_);
    layer_->setPosition(center_);
    layer_->setAffineTransform(transform_);
    layer_->setOpacity(alpha_);
    layer_->setHidden(hidden_);
    layer_->setMasksToBounds(clipsToBounds_);
    layer_->setBackgroundColor(backgroundColor_);
}

Responder* View::nextResponder() const {
    if (auto controller = controller_.lock()) {
        return controller.get();
    }
    if (auto superview = superview_.lock()) {
        return superview.get();
    }
    return nullptr;
}

} // namespace ui
