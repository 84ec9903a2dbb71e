// ui::testing::ScrollDriver: scripted drags and flings on a scroll view through real touches (the
// clock advances per step, so release velocities are exact), and `settle` to run the manual clock
// until every scroll view has come to rest.
#pragma once

#include <memory>

#include "platform/graphics/geometry.h"

namespace ui {
class ScrollView;
}

namespace ui::testing {

class ScrollDriver {
public:
    // A finger moves by `delta` (window points; dragging up, a negative y, scrolls the content
    // down) across the middle of the scroll view in `steps` moves spread over `duration` seconds
    // of clock time, then lifts. The release velocity is delta / duration.
    static void drag(const std::shared_ptr<ScrollView>& scrollView, gfx::Point delta, double duration, int steps);
    // A quick drag whose release velocity is `velocity` (finger points per second), long enough
    // to pass the drag threshold.
    static void fling(const std::shared_ptr<ScrollView>& scrollView, gfx::Point velocity);
    // Advances the manual clock a frame at a time until no scroll view decelerates or animates
    // (at most a minute of clock time; logs when that runs out). Returns whether all came to rest.
    static bool settle();
};

} // namespace ui::testing
