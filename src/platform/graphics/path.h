// gfx::Path: a reusable path (moves, lines, curves, rects, ellipses) that can be measured, hit-tested
// and added to any drawing context.
#pragma once

#include <optional>
#include <vector>

#include "platform/graphics/geometry.h"

namespace gfx {

// Which fill rule containsPoint uses: No is non-zero winding, Yes is even-odd.
enum class EvenOdd { No = 0, Yes = 1 };

class Path {
public:
    enum class ElementType { MoveTo, LineTo, CurveTo, Close };
    // A CurveTo carries its two control points and its end; other elements use only points[0].
    struct Element {
        ElementType type = ElementType::MoveTo;
        Point points[3];
    };

    // Calls with a non-finite point are ignored. A line or curve without a current point starts one at
    // its first point, as the drawing context does.
    void moveToPoint(Point p);
    void addLineToPoint(Point p);
    void addQuadCurveToPoint(Point control, Point end);
    void addCurveToPoint(Point control1, Point control2, Point end);
    // A closed sub-path: minX,minY -> maxX,minY -> maxX,maxY -> minX,maxY.
    void addRect(Rect rect);
    // A closed sub-path of four cubic arcs inscribed in the rect, starting at its maximum x.
    void addEllipseInRect(Rect rect);
    void closeSubpath();

    bool isEmpty() const { return elements_.empty(); }
    const std::vector<Element>& elements() const { return elements_; }
    std::optional<Point> currentPoint() const { return current_; }

    // The box of every point including curve control points; Rect::null() for an empty path.
    Rect boundingBox() const;
    // The box of the curve itself (control points only where the curve reaches them).
    Rect tightBoundingBox() const;
    // Whether `p` is inside the path after `transform` is applied to the path, by the given rule.
    bool containsPoint(Point p, const AffineTransform& transform, EvenOdd rule) const;

private:
    void ensureStart(Point p);

    std::vector<Element> elements_;
    std::optional<Point> current_;
    std::optional<Point> subpathStart_;
};

} // namespace gfx
