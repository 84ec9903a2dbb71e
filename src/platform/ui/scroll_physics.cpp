// The scroll view's motion model: rubber-banding, velocity over the last 100 ms, exponential
// deceleration, paging targets and easing curves.
#include "platform/ui/scroll_physics.h"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {

// Beyond a bouncing edge the velocity falls by this per millisecond (instead of the deceleration
// rate), so a fast release overshoots by a short way before springing back.
constexpr double kOutOfBoundsRate = 0.98;

// Distance covered in `dt` seconds from velocity `v` falling by `rate` per millisecond (the exact
// integral, so the distance does not depend on the step size).
double coast(double v, double dt, double rate) {
    const double k = 1000 * std::log(rate); // negative
    return v * (std::exp(k * dt) - 1) / k;
}

} // namespace

double ScrollAxis::offsetForFinger(double finger) const {
    if (finger < min) {
        return bounces ? min + (finger - min) / 2 : min;
    }
    if (finger > max) {
        return bounces ? max + (finger - max) / 2 : max;
    }
    return finger;
}

double ScrollAxis::fingerForOffset(double offset) const {
    if (offset < min) {
        return bounces ? min + (offset - min) * 2 : min;
    }
    if (offset > max) {
        return bounces ? max + (offset - max) * 2 : max;
    }
    return offset;
}

AxisMotion decelerateAxis(AxisMotion motion, double dt, double rate, const ScrollAxis& axis) {
    if (!axis.movable || dt <= 0) {
        return {motion.position, axis.movable ? motion.velocity : 0};
    }
    const bool outside = !axis.contains(motion.position);
    if (outside && axis.bounces) {
        // Beyond the edge: half the distance, and a much stronger brake.
        motion.position += coast(motion.velocity, dt, kOutOfBoundsRate) / 2;
        motion.velocity *= std::pow(kOutOfBoundsRate, dt * 1000);
        return motion;
    }
    motion.position += coast(motion.velocity, dt, rate);
    motion.velocity *= std::pow(rate, dt * 1000);
    if (!axis.bounces && !axis.contains(motion.position)) {
        motion.position = axis.clamp(motion.position);
        motion.velocity = 0;
    }
    return motion;
}

double pagingTarget(double offset, double velocity, double pageSize, const ScrollAxis& axis) {
    if (!(pageSize > 0)) {
        return axis.clamp(offset);
    }
    const double page = offset / pageSize;
    double target;
    if (velocity >= kScrollPagingVelocity) {
        target = std::ceil(page);
    } else if (velocity <= -kScrollPagingVelocity) {
        target = std::floor(page);
    } else {
        target = std::round(page);
    }
    double result = target * pageSize;
    // The range ends need not be page multiples (insets, odd content sizes): rest on them then.
    return axis.clamp(result);
}

void VelocityTracker::add(double time, gfx::Point location) {
    samples_.push_back({time, location});
    // Keep one sample older than the window so the window's start can be interpolated.
    while (samples_.size() > 2 && samples_[1].time <= time - kScrollVelocityWindow) {
        samples_.pop_front();
    }
}

gfx::Point VelocityTracker::locationAt(double time) const {
    if (samples_.empty()) {
        return {};
    }
    if (time <= samples_.front().time) {
        return samples_.front().location;
    }
    for (size_t i = 1; i < samples_.size(); ++i) {
        const Sample& a = samples_[i - 1];
        const Sample& b = samples_[i];
        if (time <= b.time) {
            const double span = b.time - a.time;
            const double f = span > 0 ? (time - a.time) / span : 1;
            return {a.location.x + (b.location.x - a.location.x) * f, a.location.y + (b.location.y - a.location.y) * f};
        }
    }
    return samples_.back().location;
}

gfx::Point VelocityTracker::velocityAt(double time) const {
    if (samples_.size() < 2) {
        return {};
    }
    const double start = std::max(samples_.front().time, time - kScrollVelocityWindow);
    const double span = time - start;
    if (!(span > 0)) {
        return {};
    }
    const gfx::Point from = locationAt(start);
    const gfx::Point to = locationAt(time);
    return {(to.x - from.x) / span, (to.y - from.y) / span};
}

double ease(AnimationEasing easing, double t) {
    t = std::clamp(t, 0.0, 1.0);
    switch (easing) {
    case AnimationEasing::EaseOut:
        return 1 - std::pow(1 - t, 3);
    case AnimationEasing::EaseInOut:
        return t < 0.5 ? 4 * t * t * t : 1 - std::pow(-2 * t + 2, 3) / 2;
    }
    return t;
}

gfx::Point ScrollAnimation::valueAt(double now) const {
    if (!(duration > 0) || isDone(now)) {
        return to;
    }
    const double f = ease(easing, (now - start) / duration);
    return {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f};
}

} // namespace ui
