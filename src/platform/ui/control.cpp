// Control state, target/action dispatch and touch tracking (highlight, drag enter/exit at the
// tracking margin, touch up inside or outside, cancel).
#include "platform/ui/control.h"

namespace ui {

namespace {

bool sameOwner(const std::weak_ptr<const void>& a, const std::weak_ptr<const void>& b) {
    return !a.owner_before(b) && !b.owner_before(a);
}

bool hasOwner(const std::weak_ptr<const void>& w) {
    return !sameOwner(w, std::weak_ptr<const void>{});
}

} // namespace

void Control::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setContentMode(ContentMode::Redraw);
}

void Control::setEnabled(bool enabled) {
    if (enabled_ == enabled) {
        return;
    }
    enabled_ = enabled;
    stateDidChange();
}

void Control::setSelected(bool selected) {
    if (selected_ == selected) {
        return;
    }
    selected_ = selected;
    stateDidChange();
}

void Control::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) {
        return;
    }
    highlighted_ = highlighted;
    stateDidChange();
}

ControlState Control::state() const {
    uint32_t s = 0;
    if (highlighted_) {
        s |= static_cast<uint32_t>(ControlState::Highlighted);
    }
    if (!enabled_) {
        s |= static_cast<uint32_t>(ControlState::Disabled);
    }
    if (selected_) {
        s |= static_cast<uint32_t>(ControlState::Selected);
    }
    return static_cast<ControlState>(s);
}

void Control::setContentHorizontalAlignment(ContentHorizontalAlignment alignment) {
    horizontalAlignment_ = alignment;
    setNeedsLayout();
    setNeedsDisplay();
}

void Control::setContentVerticalAlignment(ContentVerticalAlignment alignment) {
    verticalAlignment_ = alignment;
    setNeedsLayout();
    setNeedsDisplay();
}

void Control::addTarget(std::weak_ptr<const void> owner, ActionFn fn, ControlEvents events) {
    if (!fn || events == ControlEvents::None) {
        return;
    }
    const bool guarded = hasOwner(owner);
    targets_.push_back(Target{std::move(owner), guarded, std::move(fn), events});
}

void Control::removeTarget(const std::weak_ptr<const void>& owner, ControlEvents events) {
    const bool all = !hasOwner(owner);
    for (auto& target : targets_) {
        if (all || sameOwner(target.owner, owner)) {
            target.events =
                static_cast<ControlEvents>(static_cast<uint32_t>(target.events) & ~static_cast<uint32_t>(events));
        }
    }
    std::erase_if(targets_, [](const Target& t) { return t.events == ControlEvents::None; });
}

ControlEvents Control::allControlEvents() const {
    ControlEvents all = ControlEvents::None;
    for (const auto& target : targets_) {
        all = all | target.events;
    }
    return all;
}

void Control::sendActionsForControlEvents(ControlEvents events) {
    sendActions(events, nullptr);
}

void Control::sendActions(ControlEvents events, const Event* event) {
    // Actions may add or remove targets, or drop the last reference to this control: work on a copy
    // and keep the control alive until every action has run.
    const std::shared_ptr<View> keepAlive = self();
    const std::vector<Target> targets = targets_;
    for (const auto& target : targets) {
        if (!hasEvent(target.events, events)) {
            continue;
        }
        // Hold the owner for the length of its action.
        const auto owner = target.owner.lock();
        if (target.guarded && !owner) {
            continue;
        }
        target.fn(*this, event);
    }
}

std::shared_ptr<View> Control::hitTest(gfx::Point point, const Event* event) {
    if (!enabled_) {
        return nullptr;
    }
    return View::hitTest(point, event);
}

bool Control::isInsideTrackingArea(gfx::Point point) const {
    return bounds().insetBy(-kTrackingMargin, -kTrackingMargin).containsPoint(point);
}

std::shared_ptr<Touch> Control::trackedTouch(const TouchSet& touches) const {
    const auto tracked = touch_.lock();
    for (const auto& t : touches) {
        if (t && t == tracked) {
            return t;
        }
    }
    return nullptr;
}

void Control::endTracking() {
    tracking_ = false;
    touch_.reset();
}

void Control::touchesBegan(const TouchSet& touches, const Event* event) {
    if (touches.empty() || touch_.lock()) {
        return;
    }
    const std::shared_ptr<Touch> touch = touches.front();
    touch_ = touch;
    touchInside_ = true;
    setHighlighted(true);
    // A subclass that declines still gets the touch's TouchDown and TouchUp events.
    tracking_ = beginTrackingWithTouch(*touch, event);
    ControlEvents events = ControlEvents::TouchDown;
    if (touch->tapCount() > 1) {
        events = events | ControlEvents::TouchDownRepeat;
    }
    sendActions(events, event);
}

void Control::touchesMoved(const TouchSet& touches, const Event* event) {
    const auto touch = trackedTouch(touches);
    if (!touch) {
        return;
    }
    const bool inside = isInsideTrackingArea(touch->locationInView(this));
    const bool wasInside = touchInside_;
    touchInside_ = inside;
    if (inside != wasInside) {
        setHighlighted(inside);
    }
    if (tracking_) {
        tracking_ = continueTrackingWithTouch(*touch, event);
    }
    if (inside != wasInside) {
        sendActions(inside ? ControlEvents::TouchDragEnter : ControlEvents::TouchDragExit, event);
    }
    sendActions(inside ? ControlEvents::TouchDragInside : ControlEvents::TouchDragOutside, event);
}

void Control::touchesEnded(const TouchSet& touches, const Event* event) {
    const auto touch = trackedTouch(touches);
    if (!touch) {
        return;
    }
    const std::shared_ptr<View> keepAlive = self();
    touchInside_ = isInsideTrackingArea(touch->locationInView(this));
    setHighlighted(false);
    if (tracking_) {
        endTrackingWithTouch(*touch, event);
    }
    endTracking();
    sendActions(touchInside_ ? ControlEvents::TouchUpInside : ControlEvents::TouchUpOutside, event);
    touchInside_ = false;
}

void Control::touchesCancelled(const TouchSet& touches, const Event* event) {
    const auto touch = trackedTouch(touches);
    if (!touch) {
        return;
    }
    const std::shared_ptr<View> keepAlive = self();
    setHighlighted(false);
    if (tracking_) {
        cancelTrackingWithEvent(event);
    }
    endTracking();
    touchInside_ = false;
    sendActions(ControlEvents::TouchCancel, event);
}

} // namespace ui
