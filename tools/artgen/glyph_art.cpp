// Pictograms shared by the recipes, each scaled to the rectangle it is given.
#include <cmath>

#include "tools/artgen/glyphs.h"

namespace zelvan::artgen {

using gfx::Color;
using gfx::Point;
using gfx::Rect;

namespace {

// The point at fractions (fx, fy) of `r`.
Point at(Rect r, double fx, double fy) {
    return Point{r.minX() + fx * r.width(), r.minY() + fy * r.height()};
}
} // namespace

void glyphPerson(Painter& p, Rect r, const Color& c) {
    // The head sits just above the shoulders whatever the rectangle's shape.
    double s = std::min(r.width(), r.height());
    p.fillCircle(Point{r.midX(), r.maxY() - s * 0.7}, s * 0.22, c);
    p.fillChord(Point{r.midX(), r.maxY()}, s * 0.42, kPi, 2 * kPi, c);
}

void glyphBubble(Painter& p, Rect r, const Color& c) {
    Rect body(r.minX(), r.minY(), r.width(), r.height() * 0.78);
    p.fillRoundRect(body, body.height() * 0.35, c);
    p.fillPolygon({at(r, 0.18, 0.6), at(r, 0.42, 0.7), at(r, 0.12, 1.0)}, c);
}

void glyphHouse(Painter& p, Rect r, const Color& c) {
    p.fillPolygon({at(r, 0.5, 0.05), at(r, 1.0, 0.5), at(r, 0.0, 0.5)}, c);
    p.fillRect(Rect(at(r, 0.15, 0.45), gfx::Size{r.width() * 0.7, r.height() * 0.5}), c);
    p.context().setBlendMode(gfx::BlendMode::Copy);
    p.fillRect(Rect(at(r, 0.42, 0.65), gfx::Size{r.width() * 0.16, r.height() * 0.3}), Color(0, 0, 0, 0));
    p.context().setBlendMode(gfx::BlendMode::Normal);
}

void glyphPhone(Painter& p, Rect r, const Color& c, bool hungUp) {
    gfx::Context& ctx = p.context();
    gfx::StateSaver saver(ctx);
    ctx.translateCTM(r.midX(), r.midY());
    ctx.rotateCTM(hungUp ? 0 : -kPi / 4);
    double s = std::min(r.width(), r.height());
    // Two ear pieces joined by a curved grip.
    p.strokeArc(Point{0, s * 0.45}, s * 0.55, kPi * 1.22, kPi * 1.78, s * 0.16, c);
    p.fillRoundRect(Rect(-s * 0.5, -s * 0.08, s * 0.3, s * 0.2), s * 0.06, c);
    p.fillRoundRect(Rect(s * 0.2, -s * 0.08, s * 0.3, s * 0.2), s * 0.06, c);
}

void glyphCamera(Painter& p, Rect r, const Color& body, const Color& lens) {
    p.fillRoundRect(Rect(at(r, 0.05, 0.28), gfx::Size{r.width() * 0.9, r.height() * 0.62}), r.width() * 0.1, body);
    p.fillRect(Rect(at(r, 0.32, 0.15), gfx::Size{r.width() * 0.36, r.height() * 0.16}), body);
    double s = std::min(r.width(), r.height());
    p.fillCircle(at(r, 0.5, 0.58), s * 0.22, lens);
    p.fillCircle(at(r, 0.5, 0.58), s * 0.11, body);
}

void glyphEnvelope(Painter& p, Rect r, const Color& body, const Color& lines) {
    p.fillRoundRect(r, r.width() * 0.08, body);
    double w = std::max(1.0, r.width() / 12);
    p.strokeLine({at(r, 0.08, 0.15), at(r, 0.5, 0.58), at(r, 0.92, 0.15)}, w, lines);
}

void glyphPencil(Painter& p, Rect r, const Color& c) {
    gfx::Context& ctx = p.context();
    gfx::StateSaver saver(ctx);
    ctx.translateCTM(r.midX(), r.midY());
    ctx.rotateCTM(-kPi / 4);
    double len = std::hypot(r.width(), r.height()) * 0.8;
    double w = len * 0.2;
    p.fillRect(Rect(-len / 2 + w, -w / 2, len - w * 1.4, w), c);
    p.fillPolygon({Point{-len / 2, 0}, Point{-len / 2 + w * 0.9, -w / 2}, Point{-len / 2 + w * 0.9, w / 2}}, c);
    p.fillRect(Rect(len / 2 - w * 0.3, -w / 2, w * 0.3, w), shade(c, 0.4));
}

void glyphTick(Painter& p, Rect r, double lineWidth, const Color& c) {
    p.strokeLine({at(r, 0.1, 0.55), at(r, 0.4, 0.85), at(r, 0.9, 0.2)}, lineWidth, c);
}

void glyphCross(Painter& p, Rect r, double lineWidth, const Color& c) {
    p.strokeLine({at(r, 0.15, 0.15), at(r, 0.85, 0.85)}, lineWidth, c);
    p.strokeLine({at(r, 0.85, 0.15), at(r, 0.15, 0.85)}, lineWidth, c);
}

void glyphPicture(Painter& p, Rect r) {
    double s = std::min(r.width(), r.height());
    p.fillRoundRect(r, s * 0.08, rgb(0x8c8c8c));
    Rect inner = r.insetBy(s * 0.08, s * 0.08);
    gfx::StateSaver saver(p.context());
    p.context().clipToRect(inner);
    p.gradientRect(inner, rgb(0x9fd3f5), rgb(0xdff1fc));
    p.fillCircle(at(inner, 0.72, 0.3), s * 0.1, rgb(0xffd23c));
    p.fillPolygon({at(inner, -0.1, 1.0), at(inner, 0.35, 0.45), at(inner, 0.75, 1.0)}, rgb(0x5a9a3c));
    p.fillPolygon({at(inner, 0.4, 1.0), at(inner, 0.75, 0.6), at(inner, 1.1, 1.0)}, rgb(0x3f7a2a));
}

} // namespace zelvan::artgen
