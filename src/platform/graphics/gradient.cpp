// Gradient construction, Context::drawLinearGradient and Context::drawRadialGradient, which fill the
// clip with a cairo pattern, extended past either end only when the options ask for it.
#include "platform/graphics/gradient.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "platform/foundation/log.h"
#include "platform/graphics/cairo_handoff.h"
#include "platform/graphics/context.h"
#include "platform/graphics/context_internal.h"
#include "platform/graphics/geometry.h"

namespace gfx {

std::shared_ptr<Gradient> Gradient::withColorComponents(std::span<const double> components,
                                                        std::span<const double> locations) {
    size_t count = components.size() / 4;
    bool finiteValues = std::all_of(components.begin(), components.end(), [](double v) { return std::isfinite(v); }) &&
                        std::all_of(locations.begin(), locations.end(), [](double v) { return std::isfinite(v); });
    if (count == 0 || components.size() % 4 != 0 || (!locations.empty() && locations.size() != count) ||
        !finiteValues) {
        ZLOG(Warn, "gfx: gradient with %d components and %d locations refused", int(components.size()),
             int(locations.size()));
        return nullptr;
    }
    std::vector<Stop> stops;
    for (size_t i = 0; i < count; ++i) {
        double location = locations.empty() ? (count == 1 ? 0.0 : double(i) / double(count - 1)) : locations[i];
        stops.push_back(Stop{std::clamp(location, 0.0, 1.0), Color(components[4 * i], components[4 * i + 1],
                                                                   components[4 * i + 2], components[4 * i + 3])});
    }
    std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) { return a.location < b.location; });
    return std::make_shared<Gradient>(std::move(stops));
}

void Context::drawLinearGradient(const Gradient& gradient, Point start, Point end, GradientDrawingOptions options) {
    double dx = end.x - start.x, dy = end.y - start.y;
    double length = std::hypot(dx, dy);
    if (!std::isfinite(length) || length == 0 || !std::isfinite(start.x) || !std::isfinite(start.y)) {
        return;
    }
    cairo_pattern_t* pattern = detail::handedOffPattern(cairo_pattern_create_linear(start.x, start.y, end.x, end.y));
    auto unit = [](double v) { return std::clamp(v, 0.0, 1.0); };
    for (const Gradient::Stop& s : gradient.stops()) {
        cairo_pattern_add_color_stop_rgba(pattern, s.location, unit(s.color.r), unit(s.color.g), unit(s.color.b),
                                          unit(s.color.a));
    }
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    bool before = hasOption(options, GradientDrawingOptions::DrawsBeforeStart);
    bool after = hasOption(options, GradientDrawingOptions::DrawsAfterEnd);
    double alpha = state_.alpha;

    withScratchPath([&] {
        render(
            [&](cairo_t* cr) {
                cairo_set_source(cr, pattern);
                // A band across the gradient axis wide enough to cover the clip, cut off at the start
                // and the end unless the gradient extends there.
                double x1, y1, x2, y2;
                cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
                double reach = 1;
                for (Point corner : {Point{x1, y1}, Point{x2, y1}, Point{x1, y2}, Point{x2, y2}}) {
                    reach = std::max(reach, std::hypot(corner.x - start.x, corner.y - start.y) + 1);
                }
                double from = before ? -reach : 0;
                double to = after ? std::max(reach, length) : length;
                cairo_new_path(cr);
                cairo_save(cr);
                cairo_translate(cr, start.x, start.y);
                cairo_rotate(cr, std::atan2(dy, dx));
                cairo_rectangle(cr, from, -reach, to - from, 2 * reach);
                cairo_restore(cr);
                cairo_clip(cr);
                cairo_paint_with_alpha(cr, alpha);
            },
            kSourceSetByPaint);
    });
    detail::destroyPattern(pattern);
}

void Context::drawRadialGradient(const Gradient& gradient, Point c0, double r0, Point c1, double r1,
                                 GradientDrawingOptions options) {
    bool finiteValues = std::isfinite(c0.x) && std::isfinite(c0.y) && std::isfinite(c1.x) && std::isfinite(c1.y) &&
                        std::isfinite(r0) && std::isfinite(r1);
    if (!finiteValues || r0 < 0 || r1 < 0 || gradient.stops().empty() || state_.singular) {
        return;
    }
    // Cairo and pixman keep gradient geometry in fixed point; circles reaching past that range in
    // device space (radii and centres from downloaded files can) are not drawn.
    constexpr double kMaxDeviceExtent = 1 << 23;
    const AffineTransform& m = state_.ctm;
    double stretch = std::sqrt(m.a * m.a + m.b * m.b + m.c * m.c + m.d * m.d);
    double extent = std::max({std::abs(c0.x), std::abs(c0.y), std::abs(c1.x), std::abs(c1.y), r0, r1});
    Point d0 = m.applyToPoint(c0), d1 = m.applyToPoint(c1);
    double deviceExtent = std::max({extent * stretch, std::abs(d0.x), std::abs(d0.y), std::abs(d1.x), std::abs(d1.y)});
    if (deviceExtent > kMaxDeviceExtent) {
        ZLOG(Warn, "gfx: radial gradient reaching %g device pixels not drawn", deviceExtent);
        return;
    }
    // Pad extends both ends; an end that must not extend gets a transparent stop just outside it, so
    // the pad beyond it is transparent. The end colours are repeated at 0 and 1, so the space
    // between an end and the first or last stop keeps that stop's colour.
    cairo_pattern_t* pattern = detail::handedOffPattern(cairo_pattern_create_radial(c0.x, c0.y, r0, c1.x, c1.y, r1));
    auto unit = [](double v) { return std::clamp(v, 0.0, 1.0); };
    auto addStop = [&](double at, const Color& c) {
        cairo_pattern_add_color_stop_rgba(pattern, at, unit(c.r), unit(c.g), unit(c.b), unit(c.a));
    };
    const std::vector<Gradient::Stop>& stops = gradient.stops();
    if (!hasOption(options, GradientDrawingOptions::DrawsBeforeStart)) {
        addStop(0, Color(0, 0, 0, 0));
    }
    addStop(0, stops.front().color);
    for (const Gradient::Stop& s : stops) {
        addStop(s.location, s.color);
    }
    addStop(1, stops.back().color);
    if (!hasOption(options, GradientDrawingOptions::DrawsAfterEnd)) {
        addStop(1, Color(0, 0, 0, 0));
    }
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    double alpha = state_.alpha;
    withScratchPath([&] {
        render(
            [&](cairo_t* cr) {
                cairo_set_source(cr, pattern);
                cairo_paint_with_alpha(cr, alpha);
            },
            kSourceSetByPaint);
    });
    detail::destroyPattern(pattern);
}

} // namespace gfx
