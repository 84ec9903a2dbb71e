// The scroll view's motion model, kept free of views so it reads and tests on its own: the
// reachable range of one axis with rubber-banding beyond its edges, finger velocity over the last
// 100 ms, exponential deceleration, paging targets and eased offset animations.
#pragma once

#include <deque>

#include "platform/graphics/geometry.h"

namespace ui {

// Deceleration stops below this speed (points per second).
inline constexpr double kScrollMinimumVelocity = 20;
// A release at least this fast moves a paging scroll view on to the next page that way.
inline constexpr double kScrollPagingVelocity = 100;
// Release velocity is measured over this much of the latest finger movement.
inline constexpr double kScrollVelocityWindow = 0.1;
// Motion steps at this rate.
inline constexpr double kScrollFrameInterval = 1.0 / 60;

// One axis of the offset: the range a drag rests in, whether the axis moves at all, and whether
// it rubber-bands beyond its edges.
struct ScrollAxis {
    double min = 0;
    double max = 0;
    bool movable = true;
    bool bounces = true;

    double clamp(double v) const { return v < min ? min : (v > max ? max : v); }
    bool contains(double v) const { return v >= min && v <= max; }
    // The offset a finger asking for `finger` gives: itself inside the range, half the excess
    // beyond an edge when bouncing, the edge otherwise.
    double offsetForFinger(double finger) const;
    // The inverse: where the finger stands for an offset (offsets beyond a non-bouncing edge
    // count as the edge).
    double fingerForOffset(double offset) const;
};

// One 60 Hz step of free motion along an axis: the velocity (points per second) falls by `rate`
// per millisecond, faster and at half the distance beyond a bouncing edge; a non-bouncing edge
// stops the axis.
struct AxisMotion {
    double position = 0;
    double velocity = 0;
};
AxisMotion decelerateAxis(AxisMotion motion, double dt, double rate, const ScrollAxis& axis);

// The resting offset of a paging axis released at `offset` with `velocity`: the nearest page
// boundary, or the next one in the direction of a fast release; kept inside the axis range.
double pagingTarget(double offset, double velocity, double pageSize, const ScrollAxis& axis);

// Finger positions with their times; the velocity is the displacement over the last 100 ms.
class VelocityTracker {
public:
    void reset() { samples_.clear(); }
    void add(double time, gfx::Point location);
    // Points per second at `time` (the release time); zero with fewer than two distinct times.
    gfx::Point velocityAt(double time) const;

private:
    struct Sample {
        double time;
        gfx::Point location;
    };
    gfx::Point locationAt(double time) const;
    std::deque<Sample> samples_;
};

enum class AnimationEasing { EaseInOut, EaseOut };

// An offset moving from `from` to `to` over `duration` seconds of clock time.
struct ScrollAnimation {
    gfx::Point from;
    gfx::Point to;
    double start = 0;
    double duration = 0;
    AnimationEasing easing = AnimationEasing::EaseInOut;

    // Clock readings on the frame grid may fall a rounding error short of the end.
    bool isDone(double now) const { return now - start >= duration - 1e-9; }
    gfx::Point valueAt(double now) const;
};

double ease(AnimationEasing easing, double t);

} // namespace ui
