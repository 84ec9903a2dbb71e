// Button skins: glossy rounded panels whose middle column and middle row are plain, so they stretch
// cleanly with caps of half the width minus one and half the height.
#include <cmath>

#include "tools/artgen/art_table.h"

namespace zelvan::artgen {
namespace {

using gfx::Color;
using gfx::Point;
using gfx::Rect;

struct Skin {
    unsigned top;
    unsigned bottom;
    unsigned border;
    double radius;
};

// A rounded panel: gradient body, 1-px border, a soft highlight along the top edge.
void panel(Painter& p, const Skin& s) {
    Rect r = p.bounds();
    p.gradientRoundRect(r, s.radius, rgb(s.top), rgb(s.bottom));
    p.fillRect(Rect(s.radius, 1, r.width() - 2 * s.radius, 1), Color(1, 1, 1, 0.45));
    p.strokeRoundRect(r, s.radius, 1, rgb(s.border));
}

// The back-arrow shape: a point on the left (14 px deep) and rounded corners on the right.
void backPath(gfx::Context& c, Rect r, double depth, double radius) {
    c.beginPath();
    c.moveToPoint(r.minX(), r.midY());
    c.addLineToPoint(r.minX() + depth, r.minY());
    c.addArcToPoint(Point{r.maxX(), r.minY()}, Point{r.maxX(), r.maxY()}, radius);
    c.addArcToPoint(Point{r.maxX(), r.maxY()}, Point{r.minX(), r.maxY()}, radius);
    c.addLineToPoint(r.minX() + depth, r.maxY());
    c.closePath();
}

void backPanel(Painter& p, const Skin& s) {
    gfx::Context& c = p.context();
    constexpr double kArrowDepth = 14;
    {
        gfx::StateSaver saver(c);
        backPath(c, p.bounds(), kArrowDepth, s.radius);
        c.clip();
        p.gradientRect(p.bounds(), rgb(s.top), rgb(s.bottom));
        p.fillRect(Rect(kArrowDepth, 1, p.width() - kArrowDepth - s.radius, 1), Color(1, 1, 1, 0.45));
    }
    backPath(c, p.bounds().insetBy(0.5, 0.5), kArrowDepth - 0.5, s.radius - 0.5);
    c.setStrokeColor(rgb(s.border));
    c.setLineWidth(1);
    c.setLineJoin(gfx::LineJoin::Round);
    c.strokePath();
}

constexpr Skin kWhiteSkin{0xffffff, 0xe4e4e4, 0x9a9a9a, 6};
constexpr Skin kBar{0x8aa6c8, 0x4b6b94, 0x3a5478, 5};
constexpr Skin kMoss{0x9cbf63, 0x587a2a, 0x41601c, 5};
constexpr Skin kImBar{0x7a8ca3, 0x46566c, 0x33404f, 4};
constexpr Skin kLightBlue{0x9ad8f7, 0x3898d6, 0x2a77ab, 6};
constexpr Skin kRed{0xf3857a, 0xc5302a, 0x9b221e, 6};

} // namespace

void addButtonArt(std::vector<ArtEntry>& t) {
    t.push_back(
        {"button-white", 60, 31, "white rounded button, grey border", [](Painter& p) { panel(p, kWhiteSkin); }});
    t.push_back({"button-bar", 50, 30, "navigation bar button, slate blue", [](Painter& p) { panel(p, kBar); }});
    t.push_back({"button-bar-back", 50, 30, "navigation bar back button, 14-px arrow point on the left",
                 [](Painter& p) { backPanel(p, kBar); }});
    t.push_back({"button-moss-bar", 50, 30, "branded bar button, moss green", [](Painter& p) { panel(p, kMoss); }});
    t.push_back(
        {"button-im-bar", 40, 24, "small messenger bar button, dark slate", [](Painter& p) { panel(p, kImBar); }});
    t.push_back({"button-input-lightblue", 58, 30, "input bar send button, light blue",
                 [](Painter& p) { panel(p, kLightBlue); }});
    t.push_back({"button-input-red", 58, 30, "input bar button, red", [](Painter& p) { panel(p, kRed); }});
}

} // namespace zelvan::artgen
