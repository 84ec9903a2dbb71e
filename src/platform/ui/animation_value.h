// The values animations carry (AnimationValue), the view-animation curves and the timing
// functions of layer animations, with interpolation between two values at a given progress.
#pragma once

#include <optional>
#include <variant>

#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/transform3d.h"

namespace ui {

using AnimationValue =
    std::variant<double, gfx::Point, gfx::Size, gfx::Rect, gfx::AffineTransform, Transform3D, gfx::Color>;

// The pacing of a begin/commit view animation (values as the original numbered them).
enum class AnimationCurve { EaseInOut = 0, EaseIn = 1, EaseOut = 2, Linear = 3 };

// The pacing of a layer animation.
enum class TimingFunction { Linear, EaseIn, EaseOut, EaseInEaseOut, Default };

// The paced progress (0...1) at linear progress `x` (clamped to 0...1) along each curve: the
// standard cubic Béziers (ease-in 0.42,0,1,1; ease-out 0,0,0.58,1; ease-in-out 0.42,0,0.58,1;
// default 0.25,0.1,0.25,1).
double curveProgress(AnimationCurve curve, double x);
double curveProgress(TimingFunction function, double x);

// The value `progress` of the way from `from` to `to`, component by component (colours per RGBA
// component, transforms per matrix entry). Values of different kinds do not blend: the result is
// `from` below progress 1 and `to` from 1 on.
AnimationValue interpolate(const AnimationValue& from, const AnimationValue& to, double progress);

} // namespace ui
