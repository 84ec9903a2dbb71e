// ui::testing::TouchDriver: synthetic fingers for tests - taps, double taps, per-finger down /
// move / up / cancel, drags that advance the manual clock per step, and several fingers at once.
// Every step delivers one event through the window and then runs the main loop until idle.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/ui/touch.h"

namespace ui {
class Window;
}

namespace ui::testing {

class TouchDriver {
public:
    // A finger in a multi-finger step.
    struct Finger {
        int id = 0;
        gfx::Point point;
    };

    // One finger down and up at `point` of `window`'s space, delivered to that window.
    static void tap(const std::shared_ptr<Window>& window, gfx::Point point);
    // Two taps 0.1 s of clock time apart (the second counts 2).
    static void doubleTap(const std::shared_ptr<Window>& window, gfx::Point point);

    // Fingers by id at screen points: the window is found by hit testing across windows when the
    // finger goes down. A finger that is already down (or not down) is ignored with a log line.
    static void touchDown(int id, gfx::Point screenPoint);
    static void touchMove(int id, gfx::Point screenPoint);
    static void touchUp(int id);
    static void cancel(int id);

    // Down at `from`, then `steps` moves along the line, each after duration / steps of clock
    // time (RunLoop::advance under the manual clock), then up at `to`.
    static void drag(gfx::Point from, gfx::Point to, double duration, int steps);

    // Several fingers in one event, in `phase` (Began, Moved, Ended or Cancelled); other fingers
    // of the same window that are down go along as stationary.
    static void multi(TouchPhase phase, const std::vector<Finger>& fingers);

    // The touch of a finger that is down, or null.
    static std::shared_ptr<Touch> touchForFinger(int id);
    // Forgets every finger (cancelling none); for test fixtures.
    static void reset();
};

} // namespace ui::testing
