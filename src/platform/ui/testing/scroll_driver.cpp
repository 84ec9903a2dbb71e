// Scroll driver: converts a drag on a scroll view into screen points for the touch driver, and
// steps the manual clock at the scroll frame rate until motion ends.
#include "platform/ui/testing/scroll_driver.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/scroll_physics.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace ui::testing {

void ScrollDriver::drag(const std::shared_ptr<ScrollView>& scrollView, gfx::Point delta, double duration, int steps) {
    if (!scrollView) {
        return;
    }
    auto window = scrollView->window();
    if (!window) {
        ZLOG(Warn, "ScrollDriver: the scroll view is not in a window");
        return;
    }
    const gfx::Rect b = scrollView->bounds();
    gfx::Point centre = scrollView->convertPointToView({b.midX(), b.midY()}, nullptr);
    const gfx::Point origin = window->frame().origin;
    centre = {centre.x + origin.x, centre.y + origin.y};
    const gfx::Point from{centre.x - delta.x / 2, centre.y - delta.y / 2};
    const gfx::Point to{from.x + delta.x, from.y + delta.y};
    TouchDriver::drag(from, to, duration, steps);
}

void ScrollDriver::fling(const std::shared_ptr<ScrollView>& scrollView, gfx::Point velocity) {
    const double speed = std::hypot(velocity.x, velocity.y);
    if (!(speed > 0)) {
        drag(scrollView, {}, kScrollVelocityWindow, 6);
        return;
    }
    // Over at least the velocity window, and far enough to count as a drag.
    const double duration = std::max(kScrollVelocityWindow, 2 * ScrollView::kDragThreshold / speed);
    const int steps = std::max(6, static_cast<int>(std::ceil(duration / kScrollFrameInterval)));
    drag(scrollView, {velocity.x * duration, velocity.y * duration}, duration, steps);
}

bool ScrollDriver::settle() {
    if (!fnd::ManualClock::installed()) {
        ZLOG(Warn, "ScrollDriver: settle needs a manual clock");
        return false;
    }
    constexpr int kMaxFrames = 60 * 60;
    for (int frame = 0; frame < kMaxFrames && ScrollView::movingCount() > 0; ++frame) {
        fnd::RunLoop::main().advance(kScrollFrameInterval);
    }
    fnd::RunLoop::main().runUntilIdle();
    if (ScrollView::movingCount() > 0) {
        ZLOG(Warn, "ScrollDriver: scroll views still moving after a minute of clock time");
        return false;
    }
    return true;
}

} // namespace ui::testing
