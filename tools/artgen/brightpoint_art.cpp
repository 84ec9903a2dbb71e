// The offer wall's pictures: its five tab icons (grey pictograms on clear, 30x30) and its error page's
// background and picture.
#include "tools/artgen/art_table.h"

namespace zelvan::artgen {
namespace {

using gfx::Point;
using gfx::Rect;

const gfx::Color kTab = rgb(0xb4b4b4);

// A phone-shaped outline with a grid of four app squares.
void appsIcon(Painter& p) {
    p.strokeRoundRect(Rect(7, 2, 16, 26), 3, 2, kTab);
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 2; ++col) {
            p.fillRoundRect(Rect(10 + col * 6, 7 + row * 6, 4, 4), 1, kTab);
        }
    }
    p.fillCircle(Point{15, 24}, 1.5, kTab);
}

// A gift box: a lid, a box and a ribbon.
void offersIcon(Painter& p) {
    p.fillRect(Rect(4, 10, 22, 5), kTab);
    p.fillRect(Rect(6, 16, 18, 11), kTab);
    p.fillRect(Rect(14, 10, 2, 17), rgb(0x6e6e6e));
    p.strokeCircle(Point{11, 7}, 3, 2, kTab);
    p.strokeCircle(Point{19, 7}, 3, 2, kTab);
}

// A payment card with a stripe.
void directIcon(Painter& p) {
    p.fillRoundRect(Rect(2, 7, 26, 17), 3, kTab);
    p.fillRect(Rect(2, 11, 26, 4), rgb(0x6e6e6e));
    p.fillRect(Rect(5, 18, 8, 3), rgb(0x6e6e6e));
}

// A stack of coins.
void inAppIcon(Painter& p) {
    for (int i = 0; i < 3; ++i) {
        p.fillEllipse(Rect(5, 18 - i * 6, 20, 8), kTab);
        p.strokeLine({Point{7, 22 - i * 6.0}, Point{23, 22 - i * 6.0}}, 1, rgb(0x6e6e6e));
    }
}

// A ring with a tick: the account's standing.
void statusIcon(Painter& p) {
    p.strokeCircle(Point{15, 15}, 11, 2.5, kTab);
    p.strokeLine({Point{10, 15}, Point{14, 19}, Point{21, 11}}, 3, kTab);
}

} // namespace

void addBrightpointArt(std::vector<ArtEntry>& t) {
    t.push_back({"BPAppsTab.png", 30, 30, "offer wall tab icon: phone with four apps", appsIcon});
    t.push_back({"BPOffersTab.png", 30, 30, "offer wall tab icon: gift box", offersIcon});
    t.push_back({"BPDirectTab.png", 30, 30, "offer wall tab icon: payment card", directIcon});
    t.push_back({"BPInAppTab.png", 30, 30, "offer wall tab icon: stack of coins", inAppIcon});
    t.push_back({"BPStatusTab.png", 30, 30, "offer wall tab icon: ring with a tick", statusIcon});
    t.push_back({"BPErrorBackground.png", 320, 416, "offer wall error page: pale grey gradient",
                 [](Painter& p) { p.gradientRect(Rect(0, 0, 320, 416), rgb(0xf4f5f7), rgb(0xc9ced6)); }});
    t.push_back({"BPErrorImage.png", 200, 180, "offer wall error page: amber warning triangle with an exclamation mark",
                 [](Painter& p) {
                     p.fillPolygon({Point{100, 12}, Point{188, 168}, Point{12, 168}}, rgb(0xf0a830));
                     p.fillRoundRect(Rect(92, 60, 16, 66), 6, rgb(0x2a2a2a));
                     p.fillCircle(Point{100, 145}, 9, rgb(0x2a2a2a));
                 }});
}

} // namespace zelvan::artgen
