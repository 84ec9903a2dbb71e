// Geometry helpers.
#include "platform/graphics/geometry.h"

namespace gfx {

Rect Rect::standardized() const {
    if (isNull()) {
        return *this;
    }
    return Rect(minX(), minY(), width(), height());
}

bool Rect::containsPoint(Point p) const {
    if (isEmpty()) {
        return false;
    }
    return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

bool Rect::containsRect(Rect r) const {
    if (isNull() || r.isNull()) {
        return false;
    }
    return r.minX() >= minX() && r.maxX() <= maxX() && r.minY() >= minY() && r.maxY() <= maxY();
}

bool Rect::intersects(Rect r) const {
    return !intersection(r).isNull();
}

Rect Rect::intersection(Rect r) const {
    if (isNull() || r.isNull()) {
        return null();
    }
    double x0 = std::max(minX(), r.minX());
    double y0 = std::max(minY(), r.minY());
    double x1 = std::min(maxX(), r.maxX());
    double y1 = std::min(maxY(), r.maxY());
    if (x1 < x0 || y1 < y0) {
        return null();
    }
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect Rect::unionRect(Rect r) const {
    if (isNull()) {
        return r.standardized();
    }
    if (r.isNull()) {
        return standardized();
    }
    double x0 = std::min(minX(), r.minX());
    double y0 = std::min(minY(), r.minY());
    double x1 = std::max(maxX(), r.maxX());
    double y1 = std::max(maxY(), r.maxY());
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect Rect::insetBy(double dx, double dy) const {
    if (isNull()) {
        return *this;
    }
    Rect s = standardized();
    Rect out(s.origin.x + dx, s.origin.y + dy, s.size.width - 2 * dx, s.size.height - 2 * dy);
    if (out.size.width < 0 || out.size.height < 0) {
        return null();
    }
    return out;
}

Rect Rect::insetBy(EdgeInsets in) const {
    if (isNull()) {
        return *this;
    }
    Rect s = standardized();
    return Rect(s.origin.x + in.left, s.origin.y + in.top, s.size.width - in.left - in.right,
                s.size.height - in.top - in.bottom);
}

Rect Rect::offsetBy(double dx, double dy) const {
    if (isNull()) {
        return *this;
    }
    return Rect(origin.x + dx, origin.y + dy, size.width, size.height);
}

Rect Rect::integral() const {
    if (isNull()) {
        return *this;
    }
    double x0 = std::floor(minX());
    double y0 = std::floor(minY());
    double x1 = std::ceil(maxX());
    double y1 = std::ceil(maxY());
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect ceilRect(Rect r) {
    return Rect(std::ceil(r.origin.x), std::ceil(r.origin.y), std::ceil(r.size.width), std::ceil(r.size.height));
}

Size ceilSize(Size s) {
    return Size{std::ceil(s.width), std::ceil(s.height)};
}

AffineTransform AffineTransform::makeRotation(double angle) {
    double cs = std::cos(angle);
    double sn = std::sin(angle);
    return {cs, sn, -sn, cs, 0, 0};
}

AffineTransform AffineTransform::concat(const AffineTransform& t) const {
    return {a * t.a + b * t.c, a * t.b + b * t.d,          c * t.a + d * t.c,
            c * t.b + d * t.d, tx * t.a + ty * t.c + t.tx, tx * t.b + ty * t.d + t.ty};
}

AffineTransform AffineTransform::translate(double dx, double dy) const {
    return makeTranslation(dx, dy).concat(*this);
}

AffineTransform AffineTransform::scale(double sx, double sy) const {
    return makeScale(sx, sy).concat(*this);
}

AffineTransform AffineTransform::rotate(double angle) const {
    return makeRotation(angle).concat(*this);
}

AffineTransform AffineTransform::invert() const {
    double det = a * d - b * c;
    if (det == 0 || !std::isfinite(det)) {
        return *this;
    }
    double ia = d / det;
    double ib = -b / det;
    double ic = -c / det;
    double id = a / det;
    return {ia, ib, ic, id, -(tx * ia + ty * ic), -(tx * ib + ty * id)};
}

Point AffineTransform::applyToPoint(Point p) const {
    return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty};
}

Size AffineTransform::applyToSize(Size s) const {
    return {a * s.width + c * s.height, b * s.width + d * s.height};
}

Rect AffineTransform::applyToRect(Rect r) const {
    if (r.isNull()) {
        return r;
    }
    Rect s = r.standardized();
    Point p[4] = {applyToPoint({s.minX(), s.minY()}), applyToPoint({s.maxX(), s.minY()}),
                  applyToPoint({s.minX(), s.maxY()}), applyToPoint({s.maxX(), s.maxY()})};
    double x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
    for (const auto& q : p) {
        x0 = std::min(x0, q.x);
        x1 = std::max(x1, q.x);
        y0 = std::min(y0, q.y);
        y1 = std::max(y1, q.y);
    }
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

} // namespace gfx
