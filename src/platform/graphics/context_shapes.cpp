// Context calls for reusable paths and ellipses: addPath (points cut to a box around the surface),
// the ellipse calls and drawPath with its five modes.
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "platform/graphics/context.h"
#include "platform/graphics/path.h"

namespace gfx {

namespace {

// How far outside the surface (in device pixels) path points are kept; beyond it they are cut to the
// box, which keeps them inside cairo's 24.8 fixed-point range with room to spare.
constexpr double kReach = 1 << 21;

} // namespace

void Context::addPath(const Path& path) {
    if (state_.singular || path.isEmpty()) {
        return;
    }
    // Points are taken through the CTM here and added in device space, where they can be cut.
    auto device = [&](Point p) {
        Point d = state_.ctm.applyToPoint(p);
        return Point{std::clamp(d.x, -kReach, width_ + kReach), std::clamp(d.y, -kReach, height_ + kReach)};
    };
    cairo_matrix_t saved;
    cairo_get_matrix(cr_, &saved);
    cairo_identity_matrix(cr_);
    for (const Path::Element& e : path.elements()) {
        switch (e.type) {
        case Path::ElementType::MoveTo: {
            Point p = device(e.points[0]);
            cairo_move_to(cr_, p.x, p.y);
            break;
        }
        case Path::ElementType::LineTo: {
            Point p = device(e.points[0]);
            cairo_line_to(cr_, p.x, p.y);
            break;
        }
        case Path::ElementType::CurveTo: {
            Point c1 = device(e.points[0]), c2 = device(e.points[1]), p = device(e.points[2]);
            cairo_curve_to(cr_, c1.x, c1.y, c2.x, c2.y, p.x, p.y);
            break;
        }
        case Path::ElementType::Close:
            cairo_close_path(cr_);
            break;
        }
    }
    cairo_set_matrix(cr_, &saved);
}

void Context::addEllipseInRect(Rect rect) {
    Path path;
    path.addEllipseInRect(rect);
    addPath(path);
}

void Context::fillEllipseInRect(Rect rect) {
    withScratchPath([&] {
        addEllipseInRect(rect);
        fillCurrentPath(false);
    });
}

void Context::strokeEllipseInRect(Rect rect) {
    withScratchPath([&] {
        addEllipseInRect(rect);
        strokeCurrentPath();
    });
}

void Context::drawPath(PathDrawingMode mode) {
    switch (mode) {
    case PathDrawingMode::Fill:
        fillCurrentPath(false);
        return;
    case PathDrawingMode::EOFill:
        fillCurrentPath(true);
        return;
    case PathDrawingMode::Stroke:
        strokeCurrentPath();
        return;
    case PathDrawingMode::FillStroke:
    case PathDrawingMode::EOFillStroke:
        break;
    }
    // Filling consumes the path, so the stroke gets a copy of it back.
    cairo_path_t* copy = cairo_copy_path(cr_);
    fillCurrentPath(mode == PathDrawingMode::EOFillStroke);
    if (copy->status == CAIRO_STATUS_SUCCESS) {
        cairo_append_path(cr_, copy);
    }
    cairo_path_destroy(copy);
    strokeCurrentPath();
}

} // namespace gfx
