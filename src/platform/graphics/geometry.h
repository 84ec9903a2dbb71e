// Points, sizes, rectangles, edge insets and affine transforms in doubles, with the helpers product
// layouts use (containment, intersection, union, insets, integral and whole-point rounding).
#pragma once

#include <algorithm>
#include <cmath>

namespace gfx {

// Point, Size and EdgeInsets spell out their constructors so `Point(x, y)` also compiles with
// compilers that lack parenthesised aggregate initialisation (clang 14, which builds the fuzzers).
struct Point {
    constexpr Point() = default;
    constexpr Point(double x, double y) : x(x), y(y) {}
    double x = 0;
    double y = 0;
    constexpr bool operator==(const Point&) const = default;
};

struct Size {
    constexpr Size() = default;
    constexpr Size(double width, double height) : width(width), height(height) {}
    double width = 0;
    double height = 0;
    constexpr bool operator==(const Size&) const = default;
};

struct EdgeInsets {
    constexpr EdgeInsets() = default;
    constexpr EdgeInsets(double top, double left, double bottom, double right)
        : top(top), left(left), bottom(bottom), right(right) {}
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
    constexpr bool operator==(const EdgeInsets&) const = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}
    constexpr Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}

    // The null rect: what an empty intersection gives.
    static Rect null() { return Rect(INFINITY, INFINITY, 0, 0); }

    // Edges are those of the standardized rect (negative sizes made positive).
    double minX() const { return std::min(origin.x, origin.x + size.width); }
    double maxX() const { return std::max(origin.x, origin.x + size.width); }
    double midX() const { return origin.x + size.width / 2; }
    double minY() const { return std::min(origin.y, origin.y + size.height); }
    double maxY() const { return std::max(origin.y, origin.y + size.height); }
    double midY() const { return origin.y + size.height / 2; }
    double width() const { return std::abs(size.width); }
    double height() const { return std::abs(size.height); }

    bool isNull() const { return std::isinf(origin.x) || std::isinf(origin.y); }
    bool isEmpty() const { return isNull() || size.width == 0 || size.height == 0; }

    Rect standardized() const;
    // Half-open: min <= p < max on both axes.
    bool containsPoint(Point p) const;
    bool containsRect(Rect r) const;
    bool intersects(Rect r) const;
    Rect intersection(Rect r) const;
    Rect unionRect(Rect r) const;
    Rect insetBy(double dx, double dy) const;
    Rect insetBy(EdgeInsets insets) const;
    Rect offsetBy(double dx, double dy) const;
    // Floors the origin and ceils the far edges.
    Rect integral() const;

    constexpr bool operator==(const Rect&) const = default;
};

// Every field rounded up to a whole point.
Rect ceilRect(Rect r);
Size ceilSize(Size s);

struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static constexpr AffineTransform identity() { return {}; }
    static AffineTransform makeTranslation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }
    static AffineTransform makeScale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static AffineTransform makeRotation(double angle);

    bool isIdentity() const { return *this == identity(); }
    // `t1.concat(t2)` applies t1 first, then t2.
    AffineTransform concat(const AffineTransform& t2) const;
    // These prepend the operation, as drawing code expects (translate then draw in the new space).
    AffineTransform translate(double dx, double dy) const;
    AffineTransform scale(double sx, double sy) const;
    AffineTransform rotate(double angle) const;
    // A singular matrix is returned unchanged.
    AffineTransform invert() const;

    Point applyToPoint(Point p) const;
    Size applyToSize(Size s) const;
    // The bounding box of the transformed rect.
    Rect applyToRect(Rect r) const;

    constexpr bool operator==(const AffineTransform&) const = default;
};

} // namespace gfx
