// Pacing curves and component-wise interpolation of animation values.
#include "platform/ui/animation_value.h"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {

// y of the cubic Bézier (0,0) (x1,y1) (x2,y2) (1,1) at the parameter where its x equals `x`.
double bezier(double x1, double y1, double x2, double y2, double x) {
    auto coordinate = [](double p1, double p2, double s) {
        double u = 1 - s;
        return 3 * u * u * s * p1 + 3 * u * s * s * p2 + s * s * s;
    };
    // x(s) is monotonic for control x values within 0...1, so bisection always converges.
    double lo = 0;
    double hi = 1;
    double s = x;
    for (int i = 0; i < 60; ++i) {
        s = (lo + hi) / 2;
        if (coordinate(x1, x2, s) < x) {
            lo = s;
        } else {
            hi = s;
        }
    }
    return coordinate(y1, y2, (lo + hi) / 2);
}

double clampUnit(double x) {
    if (std::isnan(x)) {
        return 0;
    }
    return std::clamp(x, 0.0, 1.0);
}

double mix(double a, double b, double p) {
    return a + (b - a) * p;
}

gfx::Point mix(gfx::Point a, gfx::Point b, double p) {
    return {mix(a.x, b.x, p), mix(a.y, b.y, p)};
}

gfx::Size mix(gfx::Size a, gfx::Size b, double p) {
    return {mix(a.width, b.width, p), mix(a.height, b.height, p)};
}

gfx::Rect mix(gfx::Rect a, gfx::Rect b, double p) {
    return {mix(a.origin, b.origin, p), mix(a.size, b.size, p)};
}

gfx::AffineTransform mix(const gfx::AffineTransform& a, const gfx::AffineTransform& b, double p) {
    return {mix(a.a, b.a, p), mix(a.b, b.b, p),   mix(a.c, b.c, p),
            mix(a.d, b.d, p), mix(a.tx, b.tx, p), mix(a.ty, b.ty, p)};
}

Transform3D mix(const Transform3D& a, const Transform3D& b, double p) {
    return {mix(a.m11, b.m11, p), mix(a.m12, b.m12, p), mix(a.m13, b.m13, p), mix(a.m14, b.m14, p),
            mix(a.m21, b.m21, p), mix(a.m22, b.m22, p), mix(a.m23, b.m23, p), mix(a.m24, b.m24, p),
            mix(a.m31, b.m31, p), mix(a.m32, b.m32, p), mix(a.m33, b.m33, p), mix(a.m34, b.m34, p),
            mix(a.m41, b.m41, p), mix(a.m42, b.m42, p), mix(a.m43, b.m43, p), mix(a.m44, b.m44, p)};
}

gfx::Color mix(const gfx::Color& a, const gfx::Color& b, double p) {
    double ar, ag, ab, aa, br, bg, bb, ba;
    a.getRed(&ar, &ag, &ab, &aa);
    b.getRed(&br, &bg, &bb, &ba);
    return gfx::Color(mix(ar, br, p), mix(ag, bg, p), mix(ab, bb, p), mix(aa, ba, p));
}

} // namespace

double curveProgress(AnimationCurve curve, double x) {
    switch (curve) {
    case AnimationCurve::EaseInOut:
        return curveProgress(TimingFunction::EaseInEaseOut, x);
    case AnimationCurve::EaseIn:
        return curveProgress(TimingFunction::EaseIn, x);
    case AnimationCurve::EaseOut:
        return curveProgress(TimingFunction::EaseOut, x);
    case AnimationCurve::Linear:
        break;
    }
    return clampUnit(x);
}

double curveProgress(TimingFunction function, double x) {
    x = clampUnit(x);
    if (x == 0 || x == 1) {
        return x;
    }
    switch (function) {
    case TimingFunction::Linear:
        return x;
    case TimingFunction::EaseIn:
        return bezier(0.42, 0, 1, 1, x);
    case TimingFunction::EaseOut:
        return bezier(0, 0, 0.58, 1, x);
    case TimingFunction::EaseInEaseOut:
        return bezier(0.42, 0, 0.58, 1, x);
    case TimingFunction::Default:
        return bezier(0.25, 0.1, 0.25, 1, x);
    }
    return x;
}

AnimationValue interpolate(const AnimationValue& from, const AnimationValue& to, double progress) {
    if (std::isnan(progress)) {
        progress = 0;
    }
    if (from.index() != to.index()) {
        return progress < 1 ? from : to;
    }
    return std::visit(
        [&](const auto& a) -> AnimationValue {
            using T = std::decay_t<decltype(a)>;
            return mix(a, std::get<T>(to), progress);
        },
        from);
}

} // namespace ui
