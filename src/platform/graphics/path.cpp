// gfx::Path building, its loose and tight bounding boxes, and point hit-testing by winding number
// over a flattened copy of the path.
#include "platform/graphics/path.h"

#include <algorithm>
#include <cmath>

namespace gfx {

namespace {

bool finite(Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Grows a box (minX, minY, maxX, maxY) to hold p.
struct Box {
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    void add(Point p) {
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
    Rect rect() const { return x0 > x1 ? Rect::null() : Rect(x0, y0, x1 - x0, y1 - y0); }
};

Point cubicAt(Point p0, Point p1, Point p2, Point p3, double t) {
    double u = 1 - t;
    double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return Point{a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y};
}

// The parameters in (0, 1) where one coordinate of a cubic has a turning point: the roots of the
// derivative 3[(a) t^2 + (b) t + c] for control values v0..v3.
void extremaOf(double v0, double v1, double v2, double v3, std::vector<double>& out) {
    double a = -v0 + 3 * v1 - 3 * v2 + v3;
    double b = 2 * (v0 - 2 * v1 + v2);
    double c = v1 - v0;
    auto keep = [&](double t) {
        if (t > 0 && t < 1) {
            out.push_back(t);
        }
    };
    if (std::abs(a) < 1e-12) {
        if (std::abs(b) > 1e-12) {
            keep(-c / b);
        }
        return;
    }
    double disc = b * b - 4 * a * c;
    if (disc < 0) {
        return;
    }
    double root = std::sqrt(disc);
    keep((-b + root) / (2 * a));
    keep((-b - root) / (2 * a));
}

// Segments each curve is cut into for hit-testing.
constexpr int kCurveSteps = 32;

} // namespace

void Path::ensureStart(Point p) {
    if (!current_) {
        moveToPoint(p);
    }
}

void Path::moveToPoint(Point p) {
    if (!finite(p)) {
        return;
    }
    elements_.push_back(Element{ElementType::MoveTo, {p, {}, {}}});
    current_ = p;
    subpathStart_ = p;
}

void Path::addLineToPoint(Point p) {
    if (!finite(p)) {
        return;
    }
    ensureStart(p);
    elements_.push_back(Element{ElementType::LineTo, {p, {}, {}}});
    current_ = p;
}

void Path::addQuadCurveToPoint(Point control, Point end) {
    if (!finite(control) || !finite(end)) {
        return;
    }
    ensureStart(control);
    Point p0 = *current_;
    // The same curve as a cubic: control points two thirds of the way towards the quad's control.
    Point c1{p0.x + 2.0 / 3 * (control.x - p0.x), p0.y + 2.0 / 3 * (control.y - p0.y)};
    Point c2{end.x + 2.0 / 3 * (control.x - end.x), end.y + 2.0 / 3 * (control.y - end.y)};
    elements_.push_back(Element{ElementType::CurveTo, {c1, c2, end}});
    current_ = end;
}

void Path::addCurveToPoint(Point control1, Point control2, Point end) {
    if (!finite(control1) || !finite(control2) || !finite(end)) {
        return;
    }
    ensureStart(control1);
    elements_.push_back(Element{ElementType::CurveTo, {control1, control2, end}});
    current_ = end;
}

void Path::addRect(Rect rect) {
    if (!finite(rect.origin) || !std::isfinite(rect.size.width) || !std::isfinite(rect.size.height)) {
        return;
    }
    Rect r = rect.standardized();
    moveToPoint({r.minX(), r.minY()});
    addLineToPoint({r.maxX(), r.minY()});
    addLineToPoint({r.maxX(), r.maxY()});
    addLineToPoint({r.minX(), r.maxY()});
    closeSubpath();
}

void Path::addEllipseInRect(Rect rect) {
    if (!finite(rect.origin) || !std::isfinite(rect.size.width) || !std::isfinite(rect.size.height)) {
        return;
    }
    Rect r = rect.standardized();
    // Each quarter is a cubic whose control points lie kappa of the radius along the tangents.
    constexpr double kKappa = 0.5522847498307936;
    double cx = r.midX(), cy = r.midY(), rx = r.width() / 2, ry = r.height() / 2;
    double kx = rx * kKappa, ky = ry * kKappa;
    moveToPoint({cx + rx, cy});
    addCurveToPoint({cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry});
    addCurveToPoint({cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy});
    addCurveToPoint({cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry});
    addCurveToPoint({cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy});
    closeSubpath();
}

void Path::closeSubpath() {
    if (!current_) {
        return;
    }
    elements_.push_back(Element{ElementType::Close, {}});
    current_ = subpathStart_;
}

Rect Path::boundingBox() const {
    Box box;
    for (const Element& e : elements_) {
        int count = e.type == ElementType::CurveTo ? 3 : (e.type == ElementType::Close ? 0 : 1);
        for (int i = 0; i < count; ++i) {
            box.add(e.points[i]);
        }
    }
    return box.rect();
}

Rect Path::tightBoundingBox() const {
    Box box;
    Point at;
    for (const Element& e : elements_) {
        switch (e.type) {
        case ElementType::MoveTo:
        case ElementType::LineTo:
            at = e.points[0];
            box.add(at);
            break;
        case ElementType::CurveTo: {
            std::vector<double> ts;
            extremaOf(at.x, e.points[0].x, e.points[1].x, e.points[2].x, ts);
            extremaOf(at.y, e.points[0].y, e.points[1].y, e.points[2].y, ts);
            for (double t : ts) {
                box.add(cubicAt(at, e.points[0], e.points[1], e.points[2], t));
            }
            at = e.points[2];
            box.add(at);
            break;
        }
        case ElementType::Close:
            break;
        }
    }
    return box.rect();
}

bool Path::containsPoint(Point p, const AffineTransform& transform, EvenOdd rule) const {
    if (!finite(p)) {
        return false;
    }
    // Winding number of the closed, flattened, transformed sub-paths around p.
    int winding = 0;
    auto edge = [&](Point a, Point b) {
        if (a.y <= p.y) {
            if (b.y > p.y && (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y) > 0) {
                ++winding;
            }
        } else if (b.y <= p.y && (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y) < 0) {
            --winding;
        }
    };
    Point start, at;
    bool open = false;
    for (const Element& e : elements_) {
        switch (e.type) {
        case ElementType::MoveTo:
            if (open) {
                edge(at, start);
            }
            start = at = transform.applyToPoint(e.points[0]);
            open = true;
            break;
        case ElementType::LineTo: {
            Point next = transform.applyToPoint(e.points[0]);
            edge(at, next);
            at = next;
            break;
        }
        case ElementType::CurveTo: {
            Point c1 = transform.applyToPoint(e.points[0]), c2 = transform.applyToPoint(e.points[1]);
            Point end = transform.applyToPoint(e.points[2]);
            Point from = at;
            for (int i = 1; i <= kCurveSteps; ++i) {
                Point next = i == kCurveSteps ? end : cubicAt(from, c1, c2, end, double(i) / kCurveSteps);
                edge(at, next);
                at = next;
            }
            break;
        }
        case ElementType::Close:
            edge(at, start);
            at = start;
            break;
        }
    }
    if (open) {
        edge(at, start);
    }
    return rule == EvenOdd::Yes ? (winding % 2) != 0 : winding != 0;
}

} // namespace gfx
