// The layout pass (setNeedsLayout / layoutIfNeeded / layoutSubviews), size fitting, and the damage
// that setNeedsDisplay records for the display pass.
#include "platform/ui/view.h"

#include "platform/ui/application.h"

namespace ui {

void View::setNeedsLayout() {
    needsLayout_ = true;
    Application::shared().setNeedsPasses();
}

void View::layoutIfNeeded() {
    layoutSubtree();
}

void View::layoutSubtree() {
    if (needsLayout_) {
        needsLayout_ = false;
        layoutSubviews();
    }
    const auto subviews = subviews_; // layoutSubviews of a subview may rearrange the list
    for (const auto& subview : subviews) {
        subview->layoutSubtree();
    }
}

gfx::Size View::sizeThatFits(gfx::Size /*size*/) const {
    return bounds_.size;
}

void View::sizeToFit() {
    gfx::Rect f = frame();
    f.size = sizeThatFits(bounds_.size);
    setFrame(f);
}

void View::setNeedsDisplay() {
    markNeedsDisplay(gfx::Rect::null());
}

void View::setNeedsDisplayInRect(gfx::Rect rect) {
    if (rect.isEmpty()) {
        return;
    }
    markNeedsDisplay(rect.standardized());
}

void View::markNeedsDisplay(gfx::Rect rect) {
    if (!drawsOwnContent()) {
        return;
    }
    {
        std::lock_guard lock(displayMutex_);
        if (rect.isNull()) {
            damage_ = gfx::Rect(-1e12, -1e12, 2e12, 2e12); // everything, cut to the bounds when drawn
        } else {
            damage_ = damage_.isNull() ? rect : damage_.unionRect(rect);
        }
        needsDisplay_ = true;
    }
    Application::shared().setNeedsPasses();
}

} // namespace ui
