// Touches: the hit test that fixes a touch's view when it begins, the repeated-tap count, phase
// changes stamped with the clock, and locations converted from window space into any view.
#include "platform/ui/touch.h"

#include <cmath>

#include "platform/foundation/clock.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/verify.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

// The last tap to end, for counting repeated taps (main thread).
struct LastTap {
    std::weak_ptr<Window> window;
    gfx::Point location;
    double endedAt = -1;
    int count = 0;
};

LastTap& lastTap() {
    static LastTap tap;
    return tap;
}

// Touches still in progress, so a view that takes one touch at a time can refuse a second.
std::vector<std::weak_ptr<Touch>>& activeTouches() {
    static std::vector<std::weak_ptr<Touch>> touches;
    return touches;
}

} // namespace

std::shared_ptr<Touch> Touch::begin(const std::shared_ptr<Window>& window, gfx::Point pointInWindow) {
    VERIFY(fnd::isMainThread());
    auto touch = std::shared_ptr<Touch>(new Touch());
    touch->window_ = window;
    touch->location_ = pointInWindow;
    touch->previous_ = pointInWindow;
    touch->timestamp_ = fnd::Clock::monotonic();
    touch->phase_ = TouchPhase::Began;

    auto& active = activeTouches();
    std::erase_if(active, [](const std::weak_ptr<Touch>& weak) {
        auto t = weak.lock();
        return !t || t->phase_ == TouchPhase::Ended || t->phase_ == TouchPhase::Cancelled;
    });

    Event probe(TouchSet{touch}, touch->timestamp_);
    std::shared_ptr<View> view = window ? window->hitTest(pointInWindow, &probe) : nullptr;
    if (view && !view->isMultipleTouchEnabled()) {
        for (const auto& weak : active) {
            if (auto other = weak.lock(); other && other->view_.lock() == view) {
                view.reset(); // the view hears only its first touch
                break;
            }
        }
    }
    touch->view_ = view;
    active.push_back(touch);

    const LastTap& last = lastTap();
    const double dx = pointInWindow.x - last.location.x;
    const double dy = pointInWindow.y - last.location.y;
    if (last.endedAt >= 0 && last.window.lock() == window && touch->timestamp_ - last.endedAt <= kTapInterval + 1e-9 &&
        std::hypot(dx, dy) <= kTapDistance) {
        touch->tapCount_ = last.count + 1;
    }
    return touch;
}

gfx::Point Touch::locationInView(const View* view) const {
    auto window = window_.lock();
    if (!window || !view) {
        return location_;
    }
    return view->convertPointFromView(location_, window.get());
}

gfx::Point Touch::previousLocationInView(const View* view) const {
    auto window = window_.lock();
    if (!window || !view) {
        return previous_;
    }
    return view->convertPointFromView(previous_, window.get());
}

void Touch::stamp() {
    timestamp_ = fnd::Clock::monotonic();
}

void Touch::moveTo(gfx::Point pointInWindow) {
    previous_ = location_;
    location_ = pointInWindow;
    phase_ = TouchPhase::Moved;
    stamp();
}

void Touch::setStationary() {
    previous_ = location_;
    phase_ = TouchPhase::Stationary;
    stamp();
}

void Touch::end() {
    previous_ = location_;
    phase_ = TouchPhase::Ended;
    stamp();
    LastTap& last = lastTap();
    last.window = window_;
    last.location = location_;
    last.endedAt = timestamp_;
    last.count = tapCount_;
}

void Touch::cancel() {
    previous_ = location_;
    phase_ = TouchPhase::Cancelled;
    stamp();
    lastTap() = LastTap{};
}

TouchSet Event::touchesForView(const View* view) const {
    TouchSet result;
    for (const auto& touch : touches_) {
        if (touch->view().get() == view) {
            result.push_back(touch);
        }
    }
    return result;
}

TouchSet Event::touchesForWindow(const Window* window) const {
    TouchSet result;
    for (const auto& touch : touches_) {
        if (touch->window().get() == window) {
            result.push_back(touch);
        }
    }
    return result;
}

} // namespace ui
