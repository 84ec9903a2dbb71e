// The interstitial client's navigation arrows: 8x10 back and forward chevrons of its in-ad browser,
// white when enabled and grey when disabled.
#include "tools/artgen/art_table.h"

namespace zelvan::artgen {
namespace {

using gfx::Point;

// A solid triangle pointing left (back) or right (forward), filling the 8x10 image.
void arrow(Painter& p, bool back, unsigned hex, double alpha) {
    if (back) {
        p.fillPolygon({Point{0.5, 5}, Point{7.5, 0.5}, Point{7.5, 9.5}}, rgb(hex, alpha));
    } else {
        p.fillPolygon({Point{7.5, 5}, Point{0.5, 0.5}, Point{0.5, 9.5}}, rgb(hex, alpha));
    }
}

} // namespace

void addMarlinArt(std::vector<ArtEntry>& t) {
    t.push_back({"marlin-back.png", 8, 10, "interstitial browser: back arrow, white",
                 [](Painter& p) { arrow(p, true, 0xffffff, 1); }});
    t.push_back({"marlin-back-disabled.png", 8, 10, "interstitial browser: back arrow, disabled grey",
                 [](Painter& p) { arrow(p, true, 0x8c8c8c, 0.6); }});
    t.push_back({"marlin-forward.png", 8, 10, "interstitial browser: forward arrow, white",
                 [](Painter& p) { arrow(p, false, 0xffffff, 1); }});
    t.push_back({"marlin-forward-disabled.png", 8, 10, "interstitial browser: forward arrow, disabled grey",
                 [](Painter& p) { arrow(p, false, 0x8c8c8c, 0.6); }});
}

} // namespace zelvan::artgen
