// ScrollView touch handling: the view takes every touch inside it, hands the touch on to the content
// view under it (after a short rest when content touches are delayed), turns a touch that moves far
// enough into a drag that moves the offset (cancelling the content's touch), and on release
// decelerates, snaps to a page or bounces back.
#include "platform/ui/scroll_view.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/clock.h"
#include "platform/ui/touch.h"

namespace ui {
namespace {

// Counts calls into content views while they run, so touches they pass back up the responder
// chain are told apart from the window's own deliveries.
struct ForwardingScope {
    explicit ForwardingScope(int& depth) : depth_(depth) { ++depth_; }
    ~ForwardingScope() { --depth_; }
    ForwardingScope(const ForwardingScope&) = delete;
    ForwardingScope& operator=(const ForwardingScope&) = delete;
    int& depth_;
};

} // namespace

std::shared_ptr<View> ScrollView::hitTest(gfx::Point point, const Event* event) {
    if (!View::hitTest(point, event)) {
        return nullptr;
    }
    return self();
}

std::shared_ptr<Touch> ScrollView::trackedTouch(const TouchSet& touches) const {
    const auto tracked = touch_.lock();
    if (!tracked) {
        return nullptr;
    }
    for (const auto& t : touches) {
        if (t == tracked) {
            return t;
        }
    }
    return nullptr;
}

gfx::Point ScrollView::fingerLocation(const Touch& touch) const {
    return touch.locationInView(superview().get());
}

bool ScrollView::isBubbledTouch(const TouchSet& touches, Phase phase) const {
    if (forwarding_ > 0) {
        return true;
    }
    // A content view that heard its touch late (a nested scroll view's own delay) passes the
    // begin up after this view already follows the touch.
    return phase == Phase::Began && tracking_ && trackedTouch(touches) != nullptr;
}

void ScrollView::deliverToContent(Phase phase, const TouchSet& touches, const Event* event) {
    const std::shared_ptr<View> keepAlive = self();
    if (phase == Phase::Began) {
        contentStarted_ = true;
    }
    const auto target = contentTarget_.lock();
    if (!target || !target->isDescendantOfView(this)) {
        return; // the content view went away meanwhile
    }
    ForwardingScope scope(forwarding_);
    const bool own = target.get() == this;
    switch (phase) {
    case Phase::Began:
        own ? contentTouchesBegan(touches, event) : target->touchesBegan(touches, event);
        break;
    case Phase::Moved:
        own ? contentTouchesMoved(touches, event) : target->touchesMoved(touches, event);
        break;
    case Phase::Ended:
        own ? contentTouchesEnded(touches, event) : target->touchesEnded(touches, event);
        break;
    case Phase::Cancelled:
        own ? contentTouchesCancelled(touches, event) : target->touchesCancelled(touches, event);
        break;
    }
}

void ScrollView::flushPendingContentTouch() {
    contentDelay_.cancel();
    const auto touch = touch_.lock();
    if (!touch || !contentEligible_ || contentStarted_) {
        return;
    }
    const Event event(TouchSet{touch}, fnd::Clock::monotonic());
    deliverToContent(Phase::Began, {touch}, &event);
}

void ScrollView::touchesBegan(const TouchSet& touches, const Event* event) {
    if (isBubbledTouch(touches, Phase::Began)) {
        contentTouchesBegan(touches, event);
        return;
    }
    if (tracking_) {
        // A touch that can no longer end here (its finger was dropped) does not block new ones.
        const auto old = touch_.lock();
        if (old && old->view().get() == this) {
            return;
        }
        abandonTouch(event);
    }
    if (touches.empty()) {
        return;
    }
    const std::shared_ptr<View> keepAlive = self();
    const std::shared_ptr<Touch> touch = touches.front();
    // A touch that stops a moving view only stops it; content never hears it.
    const bool stopped = motion_ != Motion::None;
    endMotion(false);

    tracking_ = true;
    dragging_ = false;
    touch_ = touch;
    touchStart_ = fingerLocation(*touch);
    lastLocation_ = touchStart_;
    velocity_.reset();
    velocity_.add(touch->timestamp(), touchStart_);
    contentTarget_ = View::hitTest(touch->locationInView(this), event);
    contentStarted_ = false;
    contentEligible_ = !stopped;
    if (!contentEligible_) {
        return;
    }
    // Nested scroll views hear the touch at once so they can claim the drag themselves.
    const bool nested = std::dynamic_pointer_cast<ScrollView>(contentTarget_.lock()) != nullptr;
    if (!scrollEnabled_ || !delaysContentTouches_ || nested) {
        deliverToContent(Phase::Began, {touch}, event);
        return;
    }
    std::weak_ptr<View> weak = self();
    contentDelay_ = fnd::RunLoop::main().performAfter(kContentTouchDelay, [weak] {
        if (auto view = std::static_pointer_cast<ScrollView>(weak.lock())) {
            view->flushPendingContentTouch();
        }
    });
}

void ScrollView::touchesMoved(const TouchSet& touches, const Event* event) {
    if (isBubbledTouch(touches, Phase::Moved)) {
        contentTouchesMoved(touches, event);
        return;
    }
    const auto touch = trackedTouch(touches);
    if (!touch) {
        return;
    }
    const std::shared_ptr<View> keepAlive = self();
    const gfx::Point location = fingerLocation(*touch);
    velocity_.add(touch->timestamp(), location);
    if (!dragging_) {
        if (contentStarted_) {
            deliverToContent(Phase::Moved, {touch}, event);
            if (touch_.lock() != touch) {
                return; // the content's handling ended the touch (the view left the window)
            }
        }
        const ScrollAxis x = axisX();
        const ScrollAxis y = axisY();
        // Only movement along an axis that can scroll counts towards the drag threshold, so a
        // vertical drag across a horizontal strip scrolls whatever holds the strip.
        const double dx = x.movable ? location.x - touchStart_.x : 0;
        const double dy = y.movable ? location.y - touchStart_.y : 0;
        const auto inner = std::dynamic_pointer_cast<ScrollView>(contentTarget_.lock());
        const bool innerDrags = inner && inner.get() != this && inner->isDragging();
        const bool contentKeeps = contentStarted_ && !canCancelContentTouches_;
        if (std::hypot(dx, dy) >= kDragThreshold && !innerDrags && !contentKeeps) {
            startDragging(event);
        }
    }
    if (dragging_) {
        dragTo(location);
    }
}

void ScrollView::startDragging(const Event* event) {
    const auto touch = touch_.lock();
    contentDelay_.cancel();
    if (contentStarted_ && contentEligible_ && touch) {
        deliverToContent(Phase::Cancelled, {touch}, event);
    }
    contentEligible_ = false;
    dragging_ = true;
    const gfx::Point offset = contentOffset();
    fingerOffset_ = {axisX().fingerForOffset(offset.x), axisY().fingerForOffset(offset.y)};
    // The content follows the finger from where it went down.
    lastLocation_ = touchStart_;
    updateIndicators();
    if (auto d = delegate()) {
        d->scrollViewWillBeginDragging(*this);
    }
}

void ScrollView::dragTo(gfx::Point location) {
    const ScrollAxis x = axisX();
    const ScrollAxis y = axisY();
    gfx::Point offset = contentOffset();
    if (x.movable) {
        fingerOffset_.x -= location.x - lastLocation_.x;
        if (!x.bounces) {
            fingerOffset_.x = x.clamp(fingerOffset_.x);
        }
        offset.x = x.offsetForFinger(fingerOffset_.x);
    }
    if (y.movable) {
        fingerOffset_.y -= location.y - lastLocation_.y;
        if (!y.bounces) {
            fingerOffset_.y = y.clamp(fingerOffset_.y);
        }
        offset.y = y.offsetForFinger(fingerOffset_.y);
    }
    lastLocation_ = location;
    applyOffset(offset);
}

void ScrollView::touchesEnded(const TouchSet& touches, const Event* event) {
    if (isBubbledTouch(touches, Phase::Ended)) {
        contentTouchesEnded(touches, event);
        return;
    }
    const auto touch = trackedTouch(touches);
    if (!touch) {
        return;
    }
    const std::shared_ptr<View> keepAlive = self();
    const gfx::Point location = fingerLocation(*touch);
    velocity_.add(touch->timestamp(), location);
    if (dragging_) {
        if (location != lastLocation_) {
            dragTo(location);
        }
        release(*touch);
        return;
    }
    if (contentEligible_) {
        contentDelay_.cancel();
        if (!contentStarted_) {
            deliverToContent(Phase::Began, {touch}, event);
        }
        deliverToContent(Phase::Ended, {touch}, event);
    }
    resetTouch();
    // A touch that stopped the view beyond an edge lets it spring back.
    if (motion_ == Motion::None && isOutOfBounds()) {
        if (auto d = delegate()) {
            d->scrollViewWillBeginDecelerating(*this);
        }
        if (motion_ == Motion::None) {
            beginDeceleration({});
        }
    }
}

void ScrollView::release(const Touch& touch) {
    const gfx::Point finger = velocity_.velocityAt(touch.timestamp());
    const ScrollAxis x = axisX();
    const ScrollAxis y = axisY();
    const gfx::Point velocity{x.movable ? -finger.x : 0, y.movable ? -finger.y : 0};
    bool decelerate;
    if (pagingEnabled_) {
        const gfx::Point offset = contentOffset();
        const gfx::Size page = bounds().size;
        const gfx::Point target{x.movable ? pagingTarget(offset.x, velocity.x, page.width, x) : offset.x,
                                y.movable ? pagingTarget(offset.y, velocity.y, page.height, y) : offset.y};
        decelerate = target != offset;
    } else {
        decelerate = std::abs(velocity.x) >= kScrollMinimumVelocity || std::abs(velocity.y) >= kScrollMinimumVelocity ||
                     isOutOfBounds();
    }
    resetTouch();
    updateIndicators();
    auto d = delegate();
    if (d) {
        d->scrollViewDidEndDraggingWillDecelerate(*this, decelerate);
    }
    // The delegate may start its own animation when it hears the drag end; that one wins.
    if (!decelerate || motion_ != Motion::None) {
        return;
    }
    if ((d = delegate())) {
        d->scrollViewWillBeginDecelerating(*this);
    }
    if (motion_ == Motion::None) {
        beginDeceleration(velocity);
    }
}

void ScrollView::touchesCancelled(const TouchSet& touches, const Event* event) {
    if (isBubbledTouch(touches, Phase::Cancelled)) {
        contentTouchesCancelled(touches, event);
        return;
    }
    const auto touch = trackedTouch(touches);
    if (!touch) {
        return;
    }
    const std::shared_ptr<View> keepAlive = self();
    if (contentStarted_ && contentEligible_) {
        deliverToContent(Phase::Cancelled, {touch}, event);
    }
    const bool wasDragging = dragging_;
    resetTouch();
    updateIndicators();
    if (!wasDragging) {
        return;
    }
    const bool decelerate = isOutOfBounds();
    if (auto d = delegate()) {
        d->scrollViewDidEndDraggingWillDecelerate(*this, decelerate);
    }
    if (!decelerate || motion_ != Motion::None) {
        return;
    }
    if (auto d = delegate()) {
        d->scrollViewWillBeginDecelerating(*this);
    }
    if (motion_ == Motion::None) {
        beginDeceleration({});
    }
}

void ScrollView::didMoveToWindow() {
    View::didMoveToWindow();
    if (!window() && tracking_) {
        abandonTouch(nullptr);
    }
}

void ScrollView::abandonTouch(const Event* event) {
    const std::shared_ptr<View> keepAlive = self();
    const auto touch = touch_.lock();
    if (touch && contentStarted_ && contentEligible_) {
        deliverToContent(Phase::Cancelled, {touch}, event);
    }
    const bool wasDragging = dragging_;
    resetTouch();
    updateIndicators();
    if (wasDragging) {
        if (auto d = delegate()) {
            d->scrollViewDidEndDraggingWillDecelerate(*this, false);
        }
    }
}

void ScrollView::resetTouch() {
    tracking_ = false;
    dragging_ = false;
    touch_.reset();
    contentTarget_.reset();
    contentDelay_.cancel();
    contentStarted_ = false;
    contentEligible_ = false;
    velocity_.reset();
}

void ScrollView::contentTouchesBegan(const TouchSet& touches, const Event* event) {
    View::touchesBegan(touches, event);
}

void ScrollView::contentTouchesMoved(const TouchSet& touches, const Event* event) {
    View::touchesMoved(touches, event);
}

void ScrollView::contentTouchesEnded(const TouchSet& touches, const Event* event) {
    View::touchesEnded(touches, event);
}

void ScrollView::contentTouchesCancelled(const TouchSet& touches, const Event* event) {
    View::touchesCancelled(touches, event);
}

} // namespace ui
