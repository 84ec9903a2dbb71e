// The offer wall and leaderboard skin: panels, bars, dialog buttons, the combo box and the scroll bar
// pieces. These names are used with their ".png" suffix, which is the file name.
#include <numbers>

#include "tools/artgen/art_table.h"

namespace zelvan::artgen {
namespace {

using gfx::Color;
using gfx::Point;
using gfx::Rect;

void glossy(Painter& p, unsigned top, unsigned bottom, unsigned border, double radius) {
    p.gradientRoundRect(p.bounds(), radius, rgb(top), rgb(bottom));
    p.fillRoundRect(Rect(1, 1, p.width() - 2, p.height() / 2 - 1), radius, Color(1, 1, 1, 0.12));
    p.strokeRoundRect(p.bounds(), radius, 1, rgb(border));
}

void flatBar(Painter& p, unsigned top, unsigned bottom) {
    p.gradientRect(p.bounds(), rgb(top), rgb(bottom));
    p.fillRect(Rect(0, 0, p.width(), p.height() / 2), Color(1, 1, 1, 0.1));
    p.fillRect(Rect(0, p.height() - 1, p.width(), 1), Color(0, 0, 0, 0.4));
}

void arrow(Painter& p, Rect r, bool down, const Color& c) {
    if (down) {
        p.fillPolygon({Point{r.minX(), r.minY()}, Point{r.maxX(), r.minY()}, Point{r.midX(), r.maxY()}}, c);
    } else {
        p.fillPolygon({Point{r.minX(), r.maxY()}, Point{r.maxX(), r.maxY()}, Point{r.midX(), r.minY()}}, c);
    }
}

void scrollArrow(Painter& p, bool down) {
    glossy(p, 0x8d99a6, 0x55606c, 0x3a434c, 3);
    arrow(p, Rect(3.5, 4.5, 7, 5), down, kWhite);
}

} // namespace

void addSkinArt(std::vector<ArtEntry>& t) {
    t.push_back({"standard-black-button.png", 80, 30, "skin: standard black button",
                 [](Painter& p) { glossy(p, 0x4a4a4a, 0x111111, 0x000000, 6); }});
    t.push_back({"common-button-1.png", 100, 36, "skin: dialog button (normal), steel blue",
                 [](Painter& p) { glossy(p, 0x6f95c4, 0x2f5687, 0x1f3b60, 8); }});
    t.push_back({"common-button.png", 100, 36, "skin: dialog button (pressed), darker blue",
                 [](Painter& p) { glossy(p, 0x2f5687, 0x1c3a63, 0x12263f, 8); }});
    t.push_back({"pulldownarrow.png", 21, 33, "skin: drop-down arrow button", [](Painter& p) {
                     glossy(p, 0xf2f2f2, 0xc8c8c8, 0x8a8a8a, 4);
                     arrow(p, Rect(5, 14, 11, 7), true, rgb(0x444444));
                 }});
    t.push_back({"ButtonDone.png", 30, 48, "skin: red Done key (shown turned a quarter)", [](Painter& p) {
                     glossy(p, 0xe8594f, 0xa5231d, 0x7a1814, 6);
                     gfx::Context& c = p.context();
                     gfx::StateSaver saver(c);
                     c.translateCTM(15, 24);
                     c.rotateCTM(-std::numbers::pi / 2);
                     p.text("Done", Rect(-24, -15, 48, 30), 12, true, kWhite);
                 }});
    t.push_back(
        {"ui_scrollbar_top.png", 14, 14, "skin: scroll bar up arrow", [](Painter& p) { scrollArrow(p, false); }});
    t.push_back(
        {"ui_scrollbar_bottom.png", 14, 14, "skin: scroll bar down arrow", [](Painter& p) { scrollArrow(p, true); }});
    t.push_back({"ui_scrollbar_middleslider.png", 14, 30, "skin: scroll bar slider",
                 [](Painter& p) { glossy(p, 0xb7c2ce, 0x7d8996, 0x56616d, 6); }});
    t.push_back({"ui_scrollbar_bar.png", 14, 90, "skin: scroll bar track", [](Painter& p) {
                     p.fillRoundRect(p.bounds(), 6, rgb(0xdfe3e8));
                     p.strokeRoundRect(p.bounds(), 6, 1, rgb(0xb3bac2));
                 }});
    t.push_back({"ui_combobox_pulldownmenu.png", 140, 30, "skin: combo box button with a down arrow", [](Painter& p) {
                     glossy(p, 0xffffff, 0xd6d6d6, 0x8a8a8a, 5);
                     p.fillRect(Rect(p.width() - 26, 4, 1, p.height() - 8), rgb(0xb0b0b0));
                     arrow(p, Rect(p.width() - 18, 12, 10, 7), true, rgb(0x444444));
                 }});
    t.push_back({"ui_combobox_item.png", 138, 30, "skin: combo box list item",
                 [](Painter& p) { p.gradientRect(p.bounds(), rgb(0xfafafa), rgb(0xe8e8e8)); }});
    t.push_back({"ui_combobox_selecteditem.png", 138, 30, "skin: combo box list item, selected",
                 [](Painter& p) { p.gradientRect(p.bounds(), rgb(0x7fb3e0), rgb(0x3d7dc0)); }});
    t.push_back({"UIPanel-ShowSubmitHighScore.png", 280, 300, "skin: dark translucent dialog panel", [](Painter& p) {
                     p.gradientRoundRect(p.bounds(), 14, rgb(0x2b3440, 0.95), rgb(0x141a21, 0.95));
                     p.strokeRoundRect(p.bounds(), 14, 2, rgb(0x8d99a6));
                 }});
    t.push_back({"best-score-bck.png", 320, 44, "skin: own best score strip, pale gold",
                 [](Painter& p) { flatBar(p, 0xf3f0c8, 0xd9d49a); }});
    t.push_back({"glass1.png", 320, 44, "skin: lower glass bar", [](Painter& p) { flatBar(p, 0x5c6b7a, 0x1e262e); }});
    t.push_back(
        {"table-header.png", 320, 22, "skin: table header strip", [](Painter& p) { flatBar(p, 0x6d7f95, 0x3d4b5c); }});
    t.push_back({"gameTypeBg.png", 280, 160, "skin: game type dialog background", [](Painter& p) {
                     p.gradientRoundRect(p.bounds(), 12, rgb(0x3d4b5c), rgb(0x1b232c));
                     p.strokeRoundRect(p.bounds(), 12, 2, rgb(0xa0acb8));
                 }});
    t.push_back(
        {"tap-bar.png", 320, 49, "skin: tab bar background", [](Painter& p) { flatBar(p, 0x3b3b3b, 0x0d0d0d); }});
}

} // namespace zelvan::artgen
