// The shared drawing vocabulary of the image recipes, built from gfx::Context paths, fills and
// gradients and gfx text drawing.
#include "tools/artgen/painter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "platform/graphics/font.h"
#include "platform/graphics/gradient.h"
#include "platform/graphics/text_drawing.h"

namespace zelvan::artgen {

using gfx::Color;
using gfx::Point;
using gfx::Rect;

Color rgb(unsigned hex, double alpha) {
    return Color::fromRgbHex(hex, alpha);
}

Color shade(const Color& c, double amount) {
    double t = std::clamp(amount, -1.0, 1.0);
    auto mix = [t](double v) { return t >= 0 ? v + (1 - v) * t : v * (1 + t); };
    return Color(mix(c.r), mix(c.g), mix(c.b), c.a);
}

Painter::Painter(gfx::Context& context) : context_(context) {}

void Painter::fillRect(Rect r, const Color& c) {
    context_.setFillColor(c);
    context_.fillRect(r);
}

void Painter::fillRoundRect(Rect r, double radius, const Color& c) {
    context_.beginPath();
    context_.addRoundedRect(r, radius);
    context_.setFillColor(c);
    context_.fillPath();
}

void Painter::gradientRoundRect(Rect r, double radius, const Color& top, const Color& bottom) {
    gfx::StateSaver saver(context_);
    context_.beginPath();
    context_.addRoundedRect(r, radius);
    context_.clip();
    gradientRect(r, top, bottom);
}

void Painter::strokeRoundRect(Rect r, double radius, double lineWidth, const Color& c) {
    double half = lineWidth / 2;
    context_.beginPath();
    context_.addRoundedRect(r.insetBy(half, half), std::max(0.0, radius - half));
    context_.setStrokeColor(c);
    context_.setLineWidth(lineWidth);
    context_.strokePath();
}

void Painter::gradientRect(Rect r, const Color& top, const Color& bottom) {
    std::array<double, 8> components{top.r, top.g, top.b, top.a, bottom.r, bottom.g, bottom.b, bottom.a};
    auto gradient = gfx::Gradient::withColorComponents(components, {});
    if (!gradient) {
        return;
    }
    gfx::StateSaver saver(context_);
    context_.clipToRect(r);
    context_.drawLinearGradient(*gradient, Point{r.minX(), r.minY()}, Point{r.minX(), r.maxY()},
                                gfx::GradientDrawingOptions::DrawsBeforeStart |
                                    gfx::GradientDrawingOptions::DrawsAfterEnd);
}

void Painter::fillCircle(Point centre, double radius, const Color& c) {
    context_.beginPath();
    context_.addArc(centre, radius, 0, 2 * std::numbers::pi, gfx::Clockwise::No);
    context_.closePath();
    context_.setFillColor(c);
    context_.fillPath();
}

void Painter::strokeCircle(Point centre, double radius, double lineWidth, const Color& c) {
    context_.beginPath();
    context_.addArc(centre, radius, 0, 2 * std::numbers::pi, gfx::Clockwise::No);
    context_.closePath();
    context_.setStrokeColor(c);
    context_.setLineWidth(lineWidth);
    context_.strokePath();
}

void Painter::gradientCircle(Point centre, double radius, const Color& top, const Color& bottom) {
    gfx::StateSaver saver(context_);
    context_.beginPath();
    context_.addArc(centre, radius, 0, 2 * std::numbers::pi, gfx::Clockwise::No);
    context_.closePath();
    context_.clip();
    gradientRect(Rect(centre.x - radius, centre.y - radius, 2 * radius, 2 * radius), top, bottom);
}

void Painter::fillEllipse(Rect r, const Color& c) {
    gfx::StateSaver saver(context_);
    context_.translateCTM(r.midX(), r.midY());
    context_.scaleCTM(r.width() / 2, r.height() / 2);
    fillCircle(Point{0, 0}, 1, c);
}

void Painter::fillPolygon(std::initializer_list<Point> points, const Color& c) {
    fillPolygon(std::vector<Point>(points), c);
}

void Painter::fillPolygon(const std::vector<Point>& points, const Color& c) {
    if (points.size() < 3) {
        return;
    }
    context_.beginPath();
    context_.moveToPoint(points.front());
    for (size_t i = 1; i < points.size(); ++i) {
        context_.addLineToPoint(points[i]);
    }
    context_.closePath();
    context_.setFillColor(c);
    context_.fillPath();
}

void Painter::strokeLine(std::initializer_list<Point> points, double lineWidth, const Color& c) {
    if (points.size() < 2) {
        return;
    }
    context_.beginPath();
    bool first = true;
    for (Point p : points) {
        if (first) {
            context_.moveToPoint(p);
            first = false;
        } else {
            context_.addLineToPoint(p);
        }
    }
    context_.setStrokeColor(c);
    context_.setLineWidth(lineWidth);
    context_.setLineCap(gfx::LineCap::Round);
    context_.setLineJoin(gfx::LineJoin::Round);
    context_.strokePath();
}

void Painter::strokeArc(Point centre, double radius, double from, double to, double lineWidth, const Color& c) {
    context_.beginPath();
    context_.addArc(centre, radius, from, to, gfx::Clockwise::No);
    context_.setStrokeColor(c);
    context_.setLineWidth(lineWidth);
    context_.setLineCap(gfx::LineCap::Round);
    context_.strokePath();
}

void Painter::fillChord(Point centre, double radius, double from, double to, const Color& c) {
    context_.beginPath();
    context_.addArc(centre, radius, from, to, gfx::Clockwise::No);
    context_.closePath();
    context_.setFillColor(c);
    context_.fillPath();
}

void Painter::fillHeart(Point centre, double size, const Color& c) {
    // Two lobes and a point, built from curves in a unit box scaled to `size`.
    double s = size / 2;
    double x = centre.x;
    double y = centre.y;
    context_.beginPath();
    context_.moveToPoint(x, y + s * 0.9);
    context_.addCurveToPoint(Point{x - s * 1.1, y + s * 0.1}, Point{x - s * 1.0, y - s * 0.9}, Point{x, y - s * 0.45});
    context_.addCurveToPoint(Point{x + s * 1.0, y - s * 0.9}, Point{x + s * 1.1, y + s * 0.1}, Point{x, y + s * 0.9});
    context_.closePath();
    context_.setFillColor(c);
    context_.fillPath();
}

void Painter::fillStar(Point centre, double outer, double inner, int points, const Color& c) {
    std::vector<Point> corners;
    for (int i = 0; i < points * 2; ++i) {
        double angle = -std::numbers::pi / 2 + i * std::numbers::pi / points;
        double r = (i % 2 == 0) ? outer : inner;
        corners.push_back(Point{centre.x + r * std::cos(angle), centre.y + r * std::sin(angle)});
    }
    fillPolygon(corners, c);
}

void Painter::text(std::string_view s, Rect r, double fontSize, bool bold, const Color& c) {
    auto font = bold ? gfx::Font::boldSystemFontOfSize(fontSize) : gfx::Font::systemFontOfSize(fontSize);
    double lineHeight = font->lineHeight();
    // DejaVu's line box sits a little high for capitals; nudging down by a tenth centres them by eye.
    double top = r.midY() - lineHeight / 2 + fontSize * 0.06;
    context_.setFillColor(c);
    gfx::drawInRect(s, Rect(r.minX(), top, r.width(), lineHeight + 1), font, gfx::LineBreakMode::Clip,
                    gfx::TextAlignment::Center);
}

} // namespace zelvan::artgen
