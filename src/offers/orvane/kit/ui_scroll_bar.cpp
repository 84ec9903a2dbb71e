// UIScrollBar: set-up of the arrows, track and slider, slider placement, arrow steps with their
// repetition on the main run loop, slider dragging and the one-point glide.
#include "offers/orvane/kit/ui_scroll_bar.h"

#include <algorithm>
#include <cmath>

#include "core/main_thread.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/touch.h"

namespace zelvan::orvane {

std::shared_ptr<UIScrollBar> UIScrollBar::initWithFrame(gfx::Rect frame,
                                                        const std::shared_ptr<ui::ScrollView>& scrollView,
                                                        const std::vector<gfx::ImagePtr>& images) {
    auto bar = ui::View::create<UIScrollBar>(frame);
    bar->scrollView_ = scrollView;
    bar->initScrollBar(images);
    return bar;
}

void UIScrollBar::initScrollBar(const std::vector<gfx::ImagePtr>& images) {
    auto scroll = scrollView_.lock();
    if (images.size() < 4 || !scroll || topImageView_) {
        return;
    }
    for (const auto& image : images) {
        if (!image) {
            return;
        }
    }
    delegate_ = scroll->delegate();
    scroll->setDelegate(std::static_pointer_cast<ui::ScrollViewDelegate>(self<UIScrollBar>()));
    if (scrollValue_ == 0) {
        scrollValue_ = 1.0;
    }
    if (scrollDelay_ == 0) {
        scrollDelay_ = 0.005;
    }
    continuousScrolling_ = true;

    const double height = frame().size.height;
    const gfx::Size top = images[kTopImage]->size();
    const gfx::Size bottom = images[kBottomImage]->size();
    const gfx::Size slider = images[kSliderImage]->size();
    const gfx::Size track = images[kBarImage]->size();
    const double padding = verticalScrollerPadding_;
    std::weak_ptr<UIScrollBar> weak = self<UIScrollBar>();

    topImageView_ = ui::View::create<ui::Button>(gfx::Rect(0, 0, top.width, top.height));
    topImageView_->setBackgroundImage(images[kTopImage], ui::ControlState::Normal);
    topImageView_->addTarget(weak, &UIScrollBar::moveUp, ui::ControlEvents::TouchDown);

    bottomImageView_ = ui::View::create<ui::Button>(gfx::Rect(0, height - bottom.height, bottom.width, bottom.height));
    bottomImageView_->setBackgroundImage(images[kBottomImage], ui::ControlState::Normal);
    bottomImageView_->addTarget(weak, &UIScrollBar::moveDown, ui::ControlEvents::TouchDown);

    barImageView_ = ui::View::create<ui::ImageView>(
        gfx::Rect(top.width / 2 - track.width / 2, top.height, track.width, height - top.height - bottom.height));
    barImageView_->setImage(images[kBarImage]);
    barImageView_->setContentMode(ui::ContentMode::ScaleToFill);
    barImageView_->setUserInteractionEnabled(true);

    sliderImageView_ = ui::View::create<ui::ImageView>(
        gfx::Rect(top.width / 2 - slider.width / 2, top.height - padding, slider.width, slider.height));
    sliderImageView_->setImage(images[kSliderImage]);
    sliderImageView_->setUserInteractionEnabled(true);

    availableHeight_ = height - top.height - bottom.height - slider.height + 2 * padding;

    addSubview(barImageView_);
    addSubview(topImageView_);
    addSubview(bottomImageView_);
    addSubview(sliderImageView_);

    onMain(weak, &UIScrollBar::setBackground);
}

void UIScrollBar::setBackground() {
    setBackgroundColor(gfx::Color::clear());
    if (topImageView_) {
        topImageView_->setNeedsLayout();
        topImageView_->setNeedsDisplay();
    }
}

double UIScrollBar::maxY() const {
    auto scroll = scrollView_.lock();
    return scroll ? scroll->contentSize().height - scroll->frame().size.height : 0;
}

void UIScrollBar::scrollViewDidScroll(ui::ScrollView& scrollView) {
    if (!sliderImageView_ || !topImageView_) {
        return;
    }
    const double max = scrollView.contentSize().height - scrollView.frame().size.height;
    gfx::Rect slider = sliderImageView_->frame();
    const double top = topImageView_->frame().size.height - verticalScrollerPadding_;
    if (max <= 0) {
        // Nothing to scroll: the slider rests at its top.
        slider.origin.y = top;
    } else {
        const double y = std::clamp(scrollView.contentOffset().y, 0.0, max);
        slider.origin.y = y * availableHeight_ / max + top;
    }
    sliderImageView_->setFrame(slider);
}

void UIScrollBar::moveUp(ui::Control& sender) {
    step(false, false, sender);
}

void UIScrollBar::moveDown(ui::Control& sender) {
    step(true, false, sender);
}

void UIScrollBar::step(bool down, bool repeated, ui::Control& sender) {
    auto scroll = scrollView_.lock();
    if (!scroll || (repeated && !sender.isHighlighted())) {
        // A repeat that finds the arrow let go ends the run without a step.
        return;
    }
    gfx::Point offset = scroll->contentOffset();
    if (down) {
        if (offset.y < maxY() - scrollValue_) {
            offset.y += scrollValue_;
            scroll->setContentOffset(offset);
        }
    } else if (offset.y > scrollValue_) {
        offset.y -= scrollValue_;
        scroll->setContentOffset(offset);
    }
    if (continuousScrolling_ && sender.isHighlighted()) {
        std::weak_ptr<UIScrollBar> weak = self<UIScrollBar>();
        std::weak_ptr<ui::Control> weakSender = sender.self<ui::Control>();
        fnd::RunLoop::main().performAfter(scrollDelay_, [weak, weakSender, down] {
            auto bar = weak.lock();
            auto control = weakSender.lock();
            if (bar && control) {
                bar->step(down, true, *control);
            }
        });
    }
}

void UIScrollBar::setContentOffset(double target) {
    auto scroll = scrollView_.lock();
    if (!scroll) {
        return;
    }
    gfx::Point offset = scroll->contentOffset();
    if (std::abs(target - offset.y) <= 1) {
        // Within one point: land on the target itself, whatever fractions either has.
        offset.y = target;
        scroll->setContentOffset(offset);
        return;
    }
    offset.y += target > offset.y ? 1 : -1;
    scroll->setContentOffset(offset);
    std::weak_ptr<UIScrollBar> weak = self<UIScrollBar>();
    fnd::RunLoop::main().performAfter(0.0001, [weak, target] {
        if (auto bar = weak.lock()) {
            bar->setContentOffset(target);
        }
    });
}

void UIScrollBar::touchesBegan(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    if (touches.empty() || !sliderImageView_ || maxY() < 0) {
        return;
    }
    const gfx::Point point = touches.front()->locationInView(this);
    const gfx::Rect slider = sliderImageView_->frame();
    if (!slider.containsPoint(point)) {
        return;
    }
    scrollerTouchY_ = point.y - slider.origin.y;
    dragging_ = true;
}

void UIScrollBar::touchesMoved(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    auto scroll = scrollView_.lock();
    const double max = maxY();
    if (!dragging_ || touches.empty() || !scroll || max < 0 || availableHeight_ <= 0) {
        return;
    }
    const double touchY = touches.front()->locationInView(this).y;
    const double s = scrollerTouchY_;
    double t = (max / availableHeight_) * (touchY - topImageView_->frame().size.height + verticalScrollerPadding_);
    t = std::clamp(t, 2 * s, max + 2 * s);
    gfx::Point offset = scroll->contentOffset();
    offset.y = t - 2 * s;
    scroll->setContentOffset(offset);
}

void UIScrollBar::touchesEnded(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) {
    scrollerTouchY_ = 0;
    dragging_ = false;
}

} // namespace zelvan::orvane
