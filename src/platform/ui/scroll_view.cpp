// ScrollView offsets and motion: the reachable range, programmatic and animated offsets, scrolling
// a rect into view, deceleration, paging snaps and bounce-backs stepped by a 60 Hz main-loop timer,
// the scroll indicators, and the status-bar scroll to the top.
#include "platform/ui/scroll_view.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/timer.h"
#include "platform/foundation/verify.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

int& movingViews() {
    static int count = 0;
    return count;
}

bool isShownInWindow(const View& view) {
    for (const View* v = &view; v; v = v->superview().get()) {
        if (v->isHidden()) {
            return false;
        }
    }
    return true;
}

void collectScrollViews(View& view, std::vector<std::shared_ptr<ScrollView>>& out) {
    if (auto scroll = std::dynamic_pointer_cast<ScrollView>(view.shared_from_this())) {
        out.push_back(scroll);
    }
    for (const auto& sub : view.subviews()) {
        collectScrollViews(*sub, out);
    }
}

gfx::Color indicatorColor(ScrollViewIndicatorStyle style) {
    switch (style) {
    case ScrollViewIndicatorStyle::White:
        return gfx::Color::white();
    case ScrollViewIndicatorStyle::Black:
        return gfx::Color::black();
    case ScrollViewIndicatorStyle::Default:
        break;
    }
    return gfx::Color(0, 0, 0, 0.5);
}

} // namespace

ScrollView::ScrollView() = default;

ScrollView::~ScrollView() {
    if (motion_ != Motion::None) {
        --movingViews();
    }
    if (timer_) {
        timer_->invalidate();
    }
    contentDelay_.cancel();
}

int ScrollView::movingCount() {
    return movingViews();
}

// --- Content and range ---

void ScrollView::setContentSize(gfx::Size size) {
    contentSize_ = size;
    updateIndicators();
}

void ScrollView::setContentInset(gfx::EdgeInsets inset) {
    contentInset_ = inset;
    updateIndicators();
}

void ScrollView::setScrollIndicatorInsets(gfx::EdgeInsets insets) {
    scrollIndicatorInsets_ = insets;
    updateIndicators();
}

gfx::Point ScrollView::minimumContentOffset() const {
    return {-contentInset_.left, -contentInset_.top};
}

gfx::Point ScrollView::maximumContentOffset() const {
    const gfx::Point min = minimumContentOffset();
    const gfx::Size size = bounds().size;
    return {std::max(min.x, contentSize_.width + contentInset_.right - size.width),
            std::max(min.y, contentSize_.height + contentInset_.bottom - size.height)};
}

ScrollAxis ScrollView::axisX() const {
    ScrollAxis axis;
    axis.min = minimumContentOffset().x;
    axis.max = maximumContentOffset().x;
    axis.bounces = bounces_;
    axis.movable = scrollEnabled_ && (axis.max > axis.min || (bounces_ && alwaysBounceHorizontal_));
    return axis;
}

ScrollAxis ScrollView::axisY() const {
    ScrollAxis axis;
    axis.min = minimumContentOffset().y;
    axis.max = maximumContentOffset().y;
    axis.bounces = bounces_;
    axis.movable = scrollEnabled_ && (axis.max > axis.min || (bounces_ && alwaysBounceVertical_));
    return axis;
}

bool ScrollView::isOutOfBounds() const {
    const gfx::Point offset = contentOffset();
    const ScrollAxis x = axisX();
    const ScrollAxis y = axisY();
    return (x.movable && !x.contains(offset.x)) || (y.movable && !y.contains(offset.y));
}

void ScrollView::setDecelerationRate(double rate) {
    if (!(rate > 0 && rate < 1)) {
        ZLOG(Warn, "ScrollView: ignoring deceleration rate %f (it must lie between 0 and 1)", rate);
        return;
    }
    decelerationRate_ = rate;
}

// --- Offsets ---

void ScrollView::applyOffset(gfx::Point offset) {
    if (!std::isfinite(offset.x) || !std::isfinite(offset.y)) {
        ZLOG(Warn, "ScrollView: ignoring a non-finite content offset");
        return;
    }
    if (offset == contentOffset()) {
        return;
    }
    const std::shared_ptr<View> keepAlive = self();
    setBounds(gfx::Rect(offset, bounds().size));
    setNeedsLayout();
    updateIndicators();
    contentOffsetDidChange();
    if (auto d = delegate()) {
        d->scrollViewDidScroll(*this);
    }
}

void ScrollView::setContentOffset(gfx::Point offset) {
    applyOffset(offset);
}

void ScrollView::setContentOffset(gfx::Point offset, Animated animated) {
    VERIFY(fnd::isMainThread());
    if (animated == Animated::No) {
        endMotion(false);
        applyOffset(offset);
        return;
    }
    if (!std::isfinite(offset.x) || !std::isfinite(offset.y)) {
        ZLOG(Warn, "ScrollView: ignoring a non-finite content offset");
        return;
    }
    if (offset == contentOffset()) {
        return;
    }
    animateTo(offset, Motion::Animating, AnimationEasing::EaseInOut);
}

void ScrollView::scrollRectToVisible(gfx::Rect rect, Animated animated) {
    if (rect.isNull()) {
        return;
    }
    rect = rect.standardized();
    const gfx::Rect visible = bounds();
    auto axisTarget = [](double offset, double extent, double lo, double hi) {
        if (hi - lo > extent || lo < offset) {
            return lo; // larger than the view, or above / left of it: show its leading edge
        }
        if (hi > offset + extent) {
            return hi - extent;
        }
        return offset;
    };
    gfx::Point target{axisTarget(visible.origin.x, visible.size.width, rect.minX(), rect.maxX()),
                      axisTarget(visible.origin.y, visible.size.height, rect.minY(), rect.maxY())};
    target.x = axisX().clamp(target.x);
    target.y = axisY().clamp(target.y);
    if (target == contentOffset()) {
        return;
    }
    setContentOffset(target, animated);
}

// --- Motion ---

void ScrollView::startMotion(Motion motion) {
    if (motion_ == Motion::None) {
        ++movingViews();
    }
    motion_ = motion;
    lastStepTime_ = fnd::Clock::monotonic();
    if (!timer_) {
        std::weak_ptr<View> weak = self();
        timer_ = fnd::Timer::scheduled(kScrollFrameInterval, fnd::Repeats::Yes, [weak](fnd::Timer&) {
            if (auto view = std::static_pointer_cast<ScrollView>(weak.lock())) {
                view->step();
            }
        });
    }
    updateIndicators();
}

void ScrollView::endMotion(bool completed) {
    if (motion_ == Motion::None) {
        return;
    }
    const Motion ended = motion_;
    motion_ = Motion::None;
    settling_ = false;
    --movingViews();
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    const std::shared_ptr<View> keepAlive = self();
    updateIndicators();
    auto d = delegate();
    if (!d) {
        return;
    }
    switch (ended) {
    case Motion::Decelerating:
        d->scrollViewDidEndDecelerating(*this);
        break;
    case Motion::Animating:
        d->scrollViewDidEndScrollingAnimation(*this);
        break;
    case Motion::ScrollingToTop:
        if (completed) {
            d->scrollViewDidScrollToTop(*this);
        }
        break;
    case Motion::None:
        break;
    }
}

void ScrollView::animateTo(gfx::Point target, Motion motion, AnimationEasing easing) {
    if (motion_ == Motion::Decelerating && motion != Motion::Decelerating) {
        endMotion(false);
    }
    animation_ = ScrollAnimation{contentOffset(), target, fnd::Clock::monotonic(), kAnimationDuration, easing};
    settling_ = motion == Motion::Decelerating;
    startMotion(motion);
}

void ScrollView::settleInBounds() {
    const gfx::Point offset = contentOffset();
    const gfx::Point target{axisX().clamp(offset.x), axisY().clamp(offset.y)};
    if (target == offset) {
        endMotion(true);
        return;
    }
    animateTo(target, Motion::Decelerating, AnimationEasing::EaseOut);
}

void ScrollView::beginDeceleration(gfx::Point velocity) {
    const ScrollAxis x = axisX();
    const ScrollAxis y = axisY();
    if (pagingEnabled_) {
        const gfx::Point offset = contentOffset();
        const gfx::Size page = bounds().size;
        const gfx::Point target{x.movable ? pagingTarget(offset.x, velocity.x, page.width, x) : offset.x,
                                y.movable ? pagingTarget(offset.y, velocity.y, page.height, y) : offset.y};
        animateTo(target, Motion::Decelerating, AnimationEasing::EaseOut);
        return;
    }
    decelVelocity_ = {x.movable && std::abs(velocity.x) >= kScrollMinimumVelocity ? velocity.x : 0,
                      y.movable && std::abs(velocity.y) >= kScrollMinimumVelocity ? velocity.y : 0};
    settling_ = false;
    startMotion(Motion::Decelerating);
    if (decelVelocity_ == gfx::Point{}) {
        settleInBounds();
    }
}

void ScrollView::step() {
    if (motion_ == Motion::None) {
        return;
    }
    const std::shared_ptr<View> keepAlive = self();
    const double now = fnd::Clock::monotonic();
    const double dt = now - lastStepTime_;
    lastStepTime_ = now;
    if (motion_ != Motion::Decelerating || settling_) {
        const Motion running = motion_;
        applyOffset(animation_.valueAt(now));
        // The delegate may have replaced or stopped the motion from scrollViewDidScroll.
        if (motion_ == running && animation_.isDone(now)) {
            endMotion(true);
        }
        return;
    }
    const ScrollAxis x = axisX();
    const ScrollAxis y = axisY();
    const gfx::Point offset = contentOffset();
    const AxisMotion mx = decelerateAxis({offset.x, decelVelocity_.x}, dt, decelerationRate_, x);
    const AxisMotion my = decelerateAxis({offset.y, decelVelocity_.y}, dt, decelerationRate_, y);
    decelVelocity_ = {std::abs(mx.velocity) < kScrollMinimumVelocity ? 0 : mx.velocity,
                      std::abs(my.velocity) < kScrollMinimumVelocity ? 0 : my.velocity};
    applyOffset({mx.position, my.position});
    if (motion_ == Motion::Decelerating && !settling_ && decelVelocity_ == gfx::Point{}) {
        settleInBounds();
    }
}

// --- Scroll to top ---

bool ScrollView::handleStatusBarTap(const std::shared_ptr<Window>& window) {
    if (!window) {
        return false;
    }
    std::vector<std::shared_ptr<ScrollView>> all;
    collectScrollViews(*window, all);
    std::shared_ptr<ScrollView> chosen;
    int candidates = 0;
    for (const auto& scroll : all) {
        if (scroll->scrollsToTop() && isShownInWindow(*scroll)) {
            chosen = scroll;
            ++candidates;
        }
    }
    if (candidates != 1) {
        return false;
    }
    if (auto d = chosen->delegate()) {
        if (!d->scrollViewShouldScrollToTop(*chosen).value_or(true)) {
            return false;
        }
    }
    const gfx::Point target{chosen->contentOffset().x, chosen->minimumContentOffset().y};
    if (target == chosen->contentOffset()) {
        if (auto d = chosen->delegate()) {
            d->scrollViewDidScrollToTop(*chosen);
        }
        return true;
    }
    chosen->animateTo(target, Motion::ScrollingToTop, AnimationEasing::EaseInOut);
    return true;
}

// --- Indicators ---

void ScrollView::setShowsHorizontalScrollIndicator(bool shows) {
    showsHorizontalIndicator_ = shows;
    updateIndicators();
}

void ScrollView::setShowsVerticalScrollIndicator(bool shows) {
    showsVerticalIndicator_ = shows;
    updateIndicators();
}

void ScrollView::setIndicatorStyle(ScrollViewIndicatorStyle style) {
    indicatorStyle_ = style;
    for (const auto& bar : {horizontalIndicator_, verticalIndicator_}) {
        if (bar) {
            bar->setBackgroundColor(indicatorColor(style));
        }
    }
}

void ScrollView::removeIndicators() {
    for (auto* bar : {&horizontalIndicator_, &verticalIndicator_}) {
        if (*bar && (*bar)->superview().get() == this) {
            (*bar)->removeFromSuperview();
        }
    }
}

void ScrollView::updateIndicators() {
    const bool active = dragging_ || motion_ != Motion::None;
    if (!active) {
        removeIndicators();
        return;
    }
    const gfx::Rect b = bounds();
    const gfx::EdgeInsets in = scrollIndicatorInsets_;
    const gfx::Point min = minimumContentOffset();
    const gfx::Point max = maximumContentOffset();
    const gfx::Color color = indicatorColor(indicatorStyle_);

    // Length along a track in proportion to the visible share of the content, shortened by how
    // far the offset lies beyond an edge; position by progress through the range.
    auto place = [](double track, double visible, double extent, double offset, double lo, double hi) {
        double length = extent > 0 ? track * std::min(1.0, visible / extent) : track;
        const double overshoot = offset < lo ? lo - offset : (offset > hi ? offset - hi : 0);
        length = std::max(kIndicatorMinimumLength, length - overshoot);
        const double progress = hi > lo ? std::clamp((offset - lo) / (hi - lo), 0.0, 1.0) : 0;
        return std::pair<double, double>{(track - length) * progress, length};
    };

    auto show = [&](std::shared_ptr<View>& bar, bool wanted, gfx::Rect frame) {
        if (!wanted || frame.size.width <= 0 || frame.size.height <= 0) {
            if (bar && bar->superview().get() == this) {
                bar->removeFromSuperview();
            }
            return;
        }
        if (!bar) {
            bar = View::create(frame);
            bar->setUserInteractionEnabled(false);
            bar->setBackgroundColor(color);
        }
        bar->setFrame(frame);
        if (bar->superview().get() != this) {
            addSubview(bar);
        } else if (subviews().back() != bar && !(subviews().size() > 1 && subviews()[subviews().size() - 2] == bar)) {
            bringSubviewToFront(bar.get());
        }
    };

    const double vTrack = b.size.height - in.top - in.bottom;
    const auto [vPos, vLen] =
        place(vTrack, b.size.height, contentSize_.height + contentInset_.top + contentInset_.bottom, b.origin.y, min.y,
              max.y);
    show(verticalIndicator_, showsVerticalIndicator_ && max.y > min.y,
         gfx::Rect(b.origin.x + b.size.width - in.right - kIndicatorThickness, b.origin.y + in.top + vPos,
                   kIndicatorThickness, vLen));

    const double hTrack = b.size.width - in.left - in.right;
    const auto [hPos, hLen] = place(hTrack, b.size.width, contentSize_.width + contentInset_.left + contentInset_.right,
                                    b.origin.x, min.x, max.x);
    show(horizontalIndicator_, showsHorizontalIndicator_ && max.x > min.x,
         gfx::Rect(b.origin.x + in.left + hPos, b.origin.y + b.size.height - in.bottom - kIndicatorThickness, hLen,
                   kIndicatorThickness));
}

} // namespace ui
