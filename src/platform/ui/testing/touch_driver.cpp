// The touch driver: fingers by id mapped to live touches, events built from every finger down on
// the window, delivery through Window::sendEvent, and a main-loop run after every step.
#include "platform/ui/testing/touch_driver.h"

#include <map>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/window.h"

namespace ui::testing {
namespace {

constexpr int kTapFinger = -1000;
constexpr int kDragFinger = -1001;

std::map<int, std::shared_ptr<Touch>>& fingers() {
    static std::map<int, std::shared_ptr<Touch>> map;
    return map;
}

// Delivers the changed touches of one window together with its other fingers (marked stationary),
// forgets fingers that ended, then runs the main loop until idle.
void deliver(const std::shared_ptr<Window>& window, const TouchSet& changed) {
    TouchSet all = changed;
    for (const auto& [id, touch] : fingers()) {
        if (touch->window() != window) {
            continue;
        }
        bool isChanged = false;
        for (const auto& c : changed) {
            isChanged = isChanged || c == touch;
        }
        if (!isChanged) {
            touch->setStationary();
            all.push_back(touch);
        }
    }
    if (window) {
        window->sendEvent(Event(all, fnd::Clock::monotonic()));
    }
    std::erase_if(fingers(), [](const auto& entry) {
        auto phase = entry.second->phase();
        return phase == TouchPhase::Ended || phase == TouchPhase::Cancelled;
    });
    fnd::RunLoop::main().runUntilIdle();
}

std::shared_ptr<Touch> down(int id, const std::shared_ptr<Window>& window, gfx::Point windowPoint) {
    if (fingers().count(id)) {
        ZLOG(Warn, "TouchDriver: finger %d is already down", id);
        return nullptr;
    }
    auto touch = Touch::begin(window, windowPoint);
    fingers()[id] = touch;
    return touch;
}

std::shared_ptr<Touch> find(int id) {
    auto it = fingers().find(id);
    if (it == fingers().end()) {
        ZLOG(Warn, "TouchDriver: finger %d is not down", id);
        return nullptr;
    }
    return it->second;
}

std::shared_ptr<Window> windowAt(gfx::Point screenPoint) {
    auto hit = Window::hitTestWindows(screenPoint, nullptr);
    return hit.window;
}

// Windows sit on the screen by their frames.
gfx::Point screenToWindow(const std::shared_ptr<Window>& window, gfx::Point screenPoint) {
    if (!window) {
        return screenPoint;
    }
    const gfx::Point origin = window->frame().origin;
    return gfx::Point{screenPoint.x - origin.x, screenPoint.y - origin.y};
}

} // namespace

void TouchDriver::tap(const std::shared_ptr<Window>& window, gfx::Point point) {
    auto touch = down(kTapFinger, window, point);
    if (!touch) {
        return;
    }
    deliver(window, {touch});
    touch->end();
    deliver(window, {touch});
}

void TouchDriver::doubleTap(const std::shared_ptr<Window>& window, gfx::Point point) {
    tap(window, point);
    if (fnd::ManualClock::installed()) {
        fnd::RunLoop::main().advance(0.1);
    }
    tap(window, point);
}

void TouchDriver::touchDown(int id, gfx::Point screenPoint) {
    auto window = windowAt(screenPoint);
    auto touch = down(id, window, screenToWindow(window, screenPoint));
    if (touch) {
        deliver(window, {touch});
    }
}

void TouchDriver::touchMove(int id, gfx::Point screenPoint) {
    if (auto touch = find(id)) {
        auto window = touch->window();
        touch->moveTo(screenToWindow(window, screenPoint));
        deliver(window, {touch});
    }
}

void TouchDriver::touchUp(int id) {
    if (auto touch = find(id)) {
        touch->end();
        deliver(touch->window(), {touch});
    }
}

void TouchDriver::cancel(int id) {
    if (auto touch = find(id)) {
        touch->cancel();
        deliver(touch->window(), {touch});
    }
}

void TouchDriver::drag(gfx::Point from, gfx::Point to, double duration, int steps) {
    if (steps < 1) {
        steps = 1;
    }
    touchDown(kDragFinger, from);
    const double dt = duration > 0 ? duration / steps : 0;
    for (int i = 1; i <= steps; ++i) {
        if (dt > 0 && fnd::ManualClock::installed()) {
            fnd::RunLoop::main().advance(dt);
        }
        const double t = static_cast<double>(i) / steps;
        touchMove(kDragFinger, gfx::Point{from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t});
    }
    touchUp(kDragFinger);
}

void TouchDriver::multi(TouchPhase phase, const std::vector<Finger>& list) {
    std::map<Window*, std::pair<std::shared_ptr<Window>, TouchSet>> byWindow;
    for (const auto& finger : list) {
        std::shared_ptr<Touch> touch;
        std::shared_ptr<Window> window;
        if (phase == TouchPhase::Began) {
            window = windowAt(finger.point);
            touch = down(finger.id, window, screenToWindow(window, finger.point));
        } else {
            touch = find(finger.id);
            if (touch) {
                window = touch->window();
                if (phase == TouchPhase::Moved) {
                    touch->moveTo(screenToWindow(window, finger.point));
                } else if (phase == TouchPhase::Ended) {
                    touch->end();
                } else if (phase == TouchPhase::Cancelled) {
                    touch->cancel();
                }
            }
        }
        if (touch) {
            auto& slot = byWindow[window.get()];
            slot.first = window;
            slot.second.push_back(touch);
        }
    }
    for (auto& [key, entry] : byWindow) {
        deliver(entry.first, entry.second);
    }
}

std::shared_ptr<Touch> TouchDriver::touchForFinger(int id) {
    auto it = fingers().find(id);
    return it == fingers().end() ? nullptr : it->second;
}

void TouchDriver::reset() {
    fingers().clear();
}

} // namespace ui::testing
