// The mask: covering a host view, the message label centred within side margins, and the fades
// run as view animations (the removal after a fade-out happens in its did-stop callback).
#include "toolkit/z_mask_view.h"

#include <algorithm>
#include <cmath>

#include "core/zelvan_style.h"
#include "platform/ui/label.h"
#include "protocol/tracer.h"
#include "toolkit/view_fade.h"
#include "toolkit/widget_layout.h"

namespace zelvan {
namespace {

constexpr double kSideMargin = 20;

} // namespace

std::shared_ptr<ZMaskView> ZMaskView::create() {
    return View::create<ZMaskView>(gfx::Rect());
}

void ZMaskView::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setBackgroundColor(gfx::Color(0, 0, 0, 0.5));
    setOpaque(false);
    setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);

    label_ = View::create<ui::Label>(gfx::Rect());
    label_->setBackgroundColor(gfx::Color::clear());
    label_->setOpaque(false);
    label_->setTextColor(gfx::Color::white());
    label_->setFont(ZelvanStyle::shared()->font(4));
    label_->setTextAlignment(gfx::TextAlignment::Center);
    label_->setNumberOfLines(0);
    label_->setLineBreakMode(gfx::LineBreakMode::WordWrap);
    addSubview(label_);
}

void ZMaskView::layoutSubviews() {
    const gfx::Rect box = bounds();
    const double width = std::max(0.0, box.width() - 2 * kSideMargin);
    const gfx::Size size = widgetGetLabelSize(*label_, width);
    const double height = std::min(size.height, box.height());
    label_->setFrame(
        gfx::Rect(box.minX() + kSideMargin, box.minY() + std::round((box.height() - height) / 2), width, height));
}

void ZMaskView::showMaskInView(const std::shared_ptr<ui::View>& view, const std::string& message,
                               ui::Animated animated) {
    if (!view) {
        ZTRACE_WARN("ZMaskView: asked to cover no view");
        return;
    }
    ++generation_;
    label_->setText(message);
    setFrame(view->bounds());
    view->addSubview(self());
    setNeedsLayout();
    layoutIfNeeded();
    if (animated == ui::Animated::Yes) {
        setAlpha(0);
        fadeView(self(), "ZMaskView.show", 1, kFadeDuration);
    } else {
        setAlpha(1);
    }
}

void ZMaskView::hideMask(ui::Animated animated) {
    const uint64_t generation = ++generation_;
    if (!superview()) {
        return;
    }
    if (animated == ui::Animated::No) {
        removeFromSuperview();
        return;
    }
    fadeView(self(), "ZMaskView.hide", 0, kFadeDuration, [this, generation] {
        if (generation_ == generation) {
            removeFromSuperview();
        }
    });
}

} // namespace zelvan
