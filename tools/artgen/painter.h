// Painter: the small drawing vocabulary the image recipes share (rounded panels, gradients, circles,
// polygons, strokes and centred text) on top of a y-down gfx::Context.
#pragma once

#include <initializer_list>
#include <numbers>
#include <string_view>
#include <vector>

#include "platform/graphics/color.h"
#include "platform/graphics/context.h"
#include "platform/graphics/geometry.h"

namespace zelvan::artgen {

inline constexpr double kPi = std::numbers::pi;
inline const gfx::Color kWhite(1, 1, 1, 1);

// A colour from 0xRRGGBB and an optional alpha.
gfx::Color rgb(unsigned hex, double alpha = 1);
// `c` moved towards white (amount > 0) or black (amount < 0), amount in -1...1.
gfx::Color shade(const gfx::Color& c, double amount);

class Painter {
public:
    explicit Painter(gfx::Context& context);

    gfx::Context& context() { return context_; }
    double width() const { return context_.width(); }
    double height() const { return context_.height(); }
    gfx::Rect bounds() const { return gfx::Rect(0, 0, width(), height()); }

    void fillRect(gfx::Rect r, const gfx::Color& c);
    void fillRoundRect(gfx::Rect r, double radius, const gfx::Color& c);
    // A rounded rect filled with a top-to-bottom gradient.
    void gradientRoundRect(gfx::Rect r, double radius, const gfx::Color& top, const gfx::Color& bottom);
    // The stroke lies inside `r` (the path is inset by half the line width).
    void strokeRoundRect(gfx::Rect r, double radius, double lineWidth, const gfx::Color& c);
    // A top-to-bottom gradient over `r`.
    void gradientRect(gfx::Rect r, const gfx::Color& top, const gfx::Color& bottom);

    void fillCircle(gfx::Point centre, double radius, const gfx::Color& c);
    void strokeCircle(gfx::Point centre, double radius, double lineWidth, const gfx::Color& c);
    // A disc shaded from a lighter top to a darker bottom.
    void gradientCircle(gfx::Point centre, double radius, const gfx::Color& top, const gfx::Color& bottom);
    void fillEllipse(gfx::Rect r, const gfx::Color& c);

    void fillPolygon(std::initializer_list<gfx::Point> points, const gfx::Color& c);
    void fillPolygon(const std::vector<gfx::Point>& points, const gfx::Color& c);
    // Round-capped open polyline.
    void strokeLine(std::initializer_list<gfx::Point> points, double lineWidth, const gfx::Color& c);
    // An arc of a circle (angles in radians, 0 along +x, growing clockwise on screen), round caps.
    void strokeArc(gfx::Point centre, double radius, double from, double to, double lineWidth, const gfx::Color& c);
    // A filled pie/half-disc segment closed through its chord.
    void fillChord(gfx::Point centre, double radius, double from, double to, const gfx::Color& c);

    void fillHeart(gfx::Point centre, double size, const gfx::Color& c);
    void fillStar(gfx::Point centre, double outer, double inner, int points, const gfx::Color& c);

    // One line of text centred in `r` (horizontally and vertically) in the system font.
    void text(std::string_view s, gfx::Rect r, double fontSize, bool bold, const gfx::Color& c);

private:
    gfx::Context& context_;
};

} // namespace zelvan::artgen
