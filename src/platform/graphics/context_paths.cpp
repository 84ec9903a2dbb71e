// Context path building, fills, strokes, rect calls and clipping, and the common painting step that
// applies the blend mode, global alpha and shadow to every drawing call.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/graphics/context.h"
#include "platform/graphics/context_internal.h"

namespace gfx {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

bool finite(double v) {
    return std::isfinite(v);
}
bool finite(Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}
bool finite(Rect r) {
    return finite(r.origin) && std::isfinite(r.size.width) && std::isfinite(r.size.height);
}

// Cairo keeps device coordinates in 24.8 fixed point, so nothing beyond about 2^23 pixels can be
// drawn faithfully; and its flattening of an arc grows without bound with the radius (a radius of
// 1e60 never finishes). An arc whose device radius passes this is drawn as its chord instead.
constexpr double kMaxArcDeviceRadius = 1 << 23;

// Adds the arc (cairo_arc or cairo_arc_negative), or for an arc too large to draw the straight lines
// to its start and on to its end.
void addArcOrChord(cairo_t* cr, const AffineTransform& ctm, double xc, double yc, double radius, double a0, double a1,
                   bool negative) {
    // sqrt(a^2 + b^2 + c^2 + d^2) bounds how far the CTM stretches any direction.
    double stretch = std::sqrt(ctm.a * ctm.a + ctm.b * ctm.b + ctm.c * ctm.c + ctm.d * ctm.d);
    if (radius * stretch <= kMaxArcDeviceRadius) {
        negative ? cairo_arc_negative(cr, xc, yc, radius, a0, a1) : cairo_arc(cr, xc, yc, radius, a0, a1);
        return;
    }
    for (double angle : {a0, a1}) {
        double x = xc + radius * std::cos(angle), y = yc + radius * std::sin(angle);
        if (std::isfinite(x) && std::isfinite(y)) {
            cairo_line_to(cr, x, y);
        }
    }
}

} // namespace

Rect detail::reachablePart(Rect rect, const AffineTransform& deviceCTM, int width, int height) {
    // Shadows reach back at most 2^20 pixels (plus their blur); this leaves room for that, and even
    // rotated the box stays well inside cairo's range.
    constexpr double kReach = 1 << 21;
    Rect box(-kReach, -kReach, width + 2 * kReach, height + 2 * kReach);
    Rect reachable = deviceCTM.invert().applyToRect(box);
    Rect r = rect.standardized();
    if (reachable.containsRect(r)) {
        return r;
    }
    return r.intersection(reachable);
}

// --- Painting ---

bool Context::shadowActive() const {
    return state_.shadowColor && state_.shadowColor->a > 0 && state_.alpha > 0;
}

void Context::render(const std::function<void(cairo_t*)>& paint, const Color& color) {
    if (state_.singular) {
        cairo_new_path(cr_);
        return;
    }
    // A soft mask or a pattern colour under a global alpha is drawn into a group first and then
    // composited through the mask, or with the alpha.
    // A pattern colour's own alpha and the global alpha apply to the whole pattern.
    double patternOpacity =
        color.patternImage() ? (std::isfinite(color.a) ? std::clamp(color.a, 0.0, 1.0) : 0.0) * state_.alpha : 1;
    bool patternAlpha = patternOpacity < 1;
    bool grouped = state_.mask || patternAlpha;
    if (grouped) {
        cairo_push_group(cr_);
    }
    if (shadowActive()) {
        drawShadow(paint, color);
    }
    cairo_save(cr_);
    cairo_set_operator(cr_, state_.blend == BlendMode::Copy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
    setSourceColor(cr_, color);
    paint(cr_);
    cairo_restore(cr_);
    if (grouped) {
        cairo_pop_group_to_source(cr_);
        cairo_save(cr_);
        cairo_identity_matrix(cr_);
        if (patternAlpha && state_.mask) {
            cairo_push_group(cr_);
            cairo_paint_with_alpha(cr_, patternOpacity);
            cairo_pop_group_to_source(cr_);
        }
        if (state_.mask) {
            cairo_mask_surface(cr_, state_.mask.get(), 0, 0);
        } else {
            cairo_paint_with_alpha(cr_, patternOpacity);
        }
        cairo_restore(cr_);
    }
}

void Context::drawWithEffects(const std::function<void(cairo_t*)>& paint) {
    render(paint, state_.fill);
}

void Context::withScratchPath(const std::function<void()>& body) {
    cairo_path_t* saved = cairo_has_current_point(cr_) ? cairo_copy_path(cr_) : nullptr;
    cairo_new_path(cr_);
    body();
    cairo_new_path(cr_);
    if (saved != nullptr) {
        if (saved->status == CAIRO_STATUS_SUCCESS) {
            cairo_append_path(cr_, saved);
        }
        cairo_path_destroy(saved);
    }
}

void Context::fillCurrentPath(bool evenOdd) {
    render(
        [evenOdd](cairo_t* cr) {
            cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
            cairo_fill(cr);
        },
        state_.fill);
    cairo_new_path(cr_);
}

void Context::strokeCurrentPath() {
    render([](cairo_t* cr) { cairo_stroke(cr); }, state_.stroke);
    cairo_new_path(cr_);
}

// --- Path building ---

void Context::beginPath() {
    cairo_new_path(cr_);
}

void Context::moveToPoint(double x, double y) {
    if (!state_.singular && finite(x) && finite(y)) {
        cairo_move_to(cr_, x, y);
    }
}

void Context::addLineToPoint(double x, double y) {
    if (!state_.singular && finite(x) && finite(y)) {
        cairo_line_to(cr_, x, y);
    }
}

void Context::addArc(Point c, double radius, double a0, double a1, Clockwise clockwise) {
    if (state_.singular || !finite(c) || !finite(radius) || radius < 0 || !finite(a0) || !finite(a1)) {
        return;
    }
    // More than one turn draws one full circle.
    if (clockwise == Clockwise::Yes) {
        a1 = std::max(a1, a0 - kTwoPi);
        addArcOrChord(cr_, state_.ctm, c.x, c.y, radius, a0, a1, true);
    } else {
        a1 = std::min(a1, a0 + kTwoPi);
        addArcOrChord(cr_, state_.ctm, c.x, c.y, radius, a0, a1, false);
    }
}

void Context::addArcToPoint(Point p1, Point p2, double radius) {
    if (state_.singular || !finite(p1) || !finite(p2) || !finite(radius) || radius < 0) {
        return;
    }
    if (!cairo_has_current_point(cr_)) {
        cairo_move_to(cr_, p1.x, p1.y);
        return;
    }
    Point p0;
    cairo_get_current_point(cr_, &p0.x, &p0.y);
    double u1x = p0.x - p1.x, u1y = p0.y - p1.y;
    double u2x = p2.x - p1.x, u2y = p2.y - p1.y;
    double l1 = std::hypot(u1x, u1y), l2 = std::hypot(u2x, u2y);
    double cross = u1x * u2y - u1y * u2x;
    if (radius == 0 || l1 == 0 || l2 == 0 || std::abs(cross) <= 1e-12 * l1 * l2) {
        cairo_line_to(cr_, p1.x, p1.y);
        return;
    }
    u1x /= l1, u1y /= l1, u2x /= l2, u2y /= l2;
    // Half the angle between the two legs at p1.
    double half = std::acos(std::clamp(u1x * u2x + u1y * u2y, -1.0, 1.0)) / 2;
    double tangent = radius / std::tan(half);
    double bx = u1x + u2x, by = u1y + u2y, bl = std::hypot(bx, by);
    double toCenter = radius / std::sin(half);
    Point center{p1.x + bx / bl * toCenter, p1.y + by / bl * toCenter};
    Point t1{p1.x + u1x * tangent, p1.y + u1y * tangent};
    Point t2{p1.x + u2x * tangent, p1.y + u2y * tangent};
    double a0 = std::atan2(t1.y - center.y, t1.x - center.x);
    double a1 = std::atan2(t2.y - center.y, t2.x - center.x);
    // Legs far beyond the range of doubles overflow into infinities and NaNs, which cairo's arc code
    // asserts against (aborting the process); such a corner is drawn square.
    if (!finite(center) || !finite(t1) || !finite(t2) || !finite(a0) || !finite(a1)) {
        cairo_line_to(cr_, p1.x, p1.y);
        return;
    }
    cairo_line_to(cr_, t1.x, t1.y);
    // Walking p0 -> p1 -> p2 turns towards +y (from +x) exactly when the arc's angle increases.
    bool increasing = (p1.x - p0.x) * (p2.y - p1.y) - (p1.y - p0.y) * (p2.x - p1.x) > 0;
    addArcOrChord(cr_, state_.ctm, center.x, center.y, radius, a0, a1, !increasing);
}

void Context::addRect(Rect rect) {
    if (!state_.singular && finite(rect)) {
        cairo_rectangle(cr_, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    }
}

void Context::addRoundedRect(Rect rect, double radius) {
    if (state_.singular || !finite(rect) || !finite(radius)) {
        return;
    }
    Rect r = rect.standardized();
    double rad = std::clamp(radius, 0.0, std::min(r.width(), r.height()) / 2);
    const double q = std::numbers::pi / 2;
    cairo_new_sub_path(cr_);
    addArcOrChord(cr_, state_.ctm, r.minX() + rad, r.minY() + rad, rad, 2 * q, 3 * q, false);
    addArcOrChord(cr_, state_.ctm, r.maxX() - rad, r.minY() + rad, rad, 3 * q, 4 * q, false);
    addArcOrChord(cr_, state_.ctm, r.maxX() - rad, r.maxY() - rad, rad, 0, q, false);
    addArcOrChord(cr_, state_.ctm, r.minX() + rad, r.maxY() - rad, rad, q, 2 * q, false);
    cairo_close_path(cr_);
}

void Context::addRoundedRectToPath(Rect rect, double ovalWidth, double ovalHeight) {
    if (state_.singular || !finite(rect) || !std::isfinite(ovalWidth) || !std::isfinite(ovalHeight)) {
        return;
    }
    const Rect r = rect.standardized();
    const double ow = std::min(ovalWidth, r.width() / 2);
    const double oh = std::min(ovalHeight, r.height() / 2);
    if (ow <= 0 || oh <= 0) {
        addRect(r);
        return;
    }
    // In a space scaled by the oval sizes every corner is a quarter circle of radius 1.
    StateSaver saver(*this);
    translateCTM(r.minX(), r.minY());
    scaleCTM(ow, oh);
    const double fw = r.width() / ow;
    const double fh = r.height() / oh;
    moveToPoint(fw, fh / 2);
    addArcToPoint(Point(fw, fh), Point(fw / 2, fh), 1);
    addArcToPoint(Point(0, fh), Point(0, fh / 2), 1);
    addArcToPoint(Point(0, 0), Point(fw / 2, 0), 1);
    addArcToPoint(Point(fw, 0), Point(fw, fh / 2), 1);
    closePath();
}

void Context::addQuadCurveToPoint(Point control, Point end) {
    if (state_.singular || !finite(control) || !finite(end)) {
        return;
    }
    if (!cairo_has_current_point(cr_)) {
        cairo_move_to(cr_, control.x, control.y);
    }
    Point p0;
    cairo_get_current_point(cr_, &p0.x, &p0.y);
    // The cubic with the same curve: control points two thirds of the way towards the quad's control.
    cairo_curve_to(cr_, p0.x + 2.0 / 3 * (control.x - p0.x), p0.y + 2.0 / 3 * (control.y - p0.y),
                   end.x + 2.0 / 3 * (control.x - end.x), end.y + 2.0 / 3 * (control.y - end.y), end.x, end.y);
}

void Context::addCurveToPoint(Point control1, Point control2, Point end) {
    if (!state_.singular && finite(control1) && finite(control2) && finite(end)) {
        cairo_curve_to(cr_, control1.x, control1.y, control2.x, control2.y, end.x, end.y);
    }
}

void Context::closePath() {
    cairo_close_path(cr_);
}

bool Context::isPathEmpty() const {
    return !cairo_has_current_point(cr_);
}

// --- Painting paths and rects ---

void Context::fillPath() {
    fillCurrentPath(false);
}

void Context::eoFillPath() {
    fillCurrentPath(true);
}

void Context::strokePath() {
    strokeCurrentPath();
}

void Context::fillRect(Rect rect) {
    if (!finite(rect) || state_.singular) {
        return;
    }
    Rect part = detail::reachablePart(rect, state_.ctm, width_, height_);
    if (part.isNull()) {
        return;
    }
    withScratchPath([&] {
        addRect(part);
        fillCurrentPath(false);
    });
}

void Context::strokeRect(Rect rect) {
    if (!finite(rect)) {
        return;
    }
    withScratchPath([&] {
        addRect(rect);
        strokeCurrentPath();
    });
}

void Context::strokeRectWithWidth(Rect rect, double width) {
    double saved = cairo_get_line_width(cr_);
    setLineWidth(width);
    strokeRect(rect);
    cairo_set_line_width(cr_, saved);
}

void Context::clearRect(Rect rect) {
    if (state_.singular || !finite(rect)) {
        return;
    }
    Rect part = detail::reachablePart(rect, state_.ctm, width_, height_);
    if (part.isNull()) {
        return;
    }
    withScratchPath([&] {
        cairo_save(cr_);
        cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
        cairo_rectangle(cr_, part.origin.x, part.origin.y, part.size.width, part.size.height);
        cairo_fill(cr_);
        cairo_restore(cr_);
    });
}

// --- Clipping ---

namespace {

// A clip through a singular CTM covers nothing.
void clipToNothing(cairo_t* cr) {
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_rectangle(cr, 0, 0, 0, 0);
    cairo_restore(cr);
    cairo_clip(cr);
}

} // namespace

void Context::clipToRect(Rect rect) {
    withScratchPath([&] {
        if (state_.singular || !finite(rect)) {
            clipToNothing(cr_);
            return;
        }
        Rect part = detail::reachablePart(rect, state_.ctm, width_, height_);
        if (part.isNull()) {
            clipToNothing(cr_);
            return;
        }
        cairo_rectangle(cr_, part.origin.x, part.origin.y, part.size.width, part.size.height);
        cairo_clip(cr_);
    });
}

void Context::clip() {
    if (state_.singular) {
        clipToNothing(cr_);
        return;
    }
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
    cairo_clip(cr_);
}

void Context::eoClip() {
    if (state_.singular) {
        clipToNothing(cr_);
        return;
    }
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr_);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
}

} // namespace gfx
