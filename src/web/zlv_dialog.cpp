// The framed dialog: building the cover, frame, content view and close button, laying the frame out
// centred and clamped, and the fades with their end callbacks.
#include "web/zlv_dialog.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/button.h"
#include "protocol/tracer.h"
#include "toolkit/view_fade.h"

namespace zelvan {

void ZLVDialog::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setBackgroundColor(gfx::Color(0, 0, 0, 0.5));
    setOpaque(false);
    setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);

    frameView_ = View::create(gfx::Rect());
    frameView_->setBackgroundColor(gfx::Color::white());
    addSubview(frameView_);

    contentView_ = View::create(gfx::Rect());
    contentView_->setClipsToBounds(true);
    frameView_->addSubview(contentView_);

    closeButton_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
    closeButton_->setTitle("X", ui::ControlState::Normal);
    closeButton_->setTitleColor(gfx::Color::white(), ui::ControlState::Normal);
    closeButton_->setBackgroundColor(gfx::Color(0.2, 0.2, 0.2, 1));
    closeButton_->addTarget(self<ZLVDialog>(), &ZLVDialog::closeTapped, ui::ControlEvents::TouchUpInside);
    frameView_->addSubview(closeButton_);
}

void ZLVDialog::setPreferredContentSize(gfx::Size size) {
    preferredContentSize_ = {std::max(0.0, size.width), std::max(0.0, size.height)};
    setNeedsLayout();
}

void ZLVDialog::layoutSubviews() {
    const gfx::Rect box = bounds();
    // A subclass that leaves a side at 0 (or below) asks only for the other side.
    const double contentWidth = preferredContentSize_.width > 0 ? preferredContentSize_.width : kDefaultContentWidth;
    const double contentHeight =
        preferredContentSize_.height > 0 ? preferredContentSize_.height : kDefaultContentHeight;
    const double width = std::clamp(contentWidth + 2 * kBorder, 0.0, box.width());
    const double height = std::clamp(contentHeight + 2 * kBorder, 0.0, box.height());
    frameView_->setFrame(gfx::Rect(box.minX() + std::round((box.width() - width) / 2),
                                   box.minY() + std::round((box.height() - height) / 2), width, height));
    contentView_->setFrame(
        gfx::Rect(kBorder, kBorder, std::max(0.0, width - 2 * kBorder), std::max(0.0, height - 2 * kBorder)));
    const double button = std::min({kCloseButtonSize, width, height});
    closeButton_->setFrame(gfx::Rect(width - button, 0, button, button));
}

void ZLVDialog::showInView(const std::shared_ptr<ui::View>& view, ui::Animated animated) {
    if (!view) {
        ZTRACE_WARN("ZLVDialog: asked to show in no view");
        return;
    }
    const uint64_t generation = ++generation_;
    hiding_ = false;
    setFrame(view->bounds());
    view->addSubview(self());
    setNeedsLayout();
    layoutIfNeeded();
    if (!contentLoaded_) {
        contentLoaded_ = true;
        loadContentView();
    }
    if (animated == ui::Animated::No) {
        setAlpha(1);
        contentViewDidAppear();
        return;
    }
    setAlpha(0);
    fadeView(self(), "ZLVDialog.show", 1, kAnimationDuration, [this, generation] {
        if (generation_ == generation) {
            contentViewDidAppear();
        }
    });
}

void ZLVDialog::closeTapped() {
    hide(ui::Animated::Yes);
}

void ZLVDialog::hide(ui::Animated animated) {
    const uint64_t generation = ++generation_;
    if (!superview()) {
        return;
    }
    if (animated == ui::Animated::No) {
        hiding_ = false;
        removeFromSuperview();
        return;
    }
    hiding_ = true;
    fadeView(self(), "ZLVDialog.hide", 0, kAnimationDuration, [this, generation] {
        if (generation_ == generation) {
            hiding_ = false;
            removeFromSuperview();
        }
    });
}

bool ZLVDialog::isVisible() const {
    return superview() != nullptr && !hiding_;
}

} // namespace zelvan
