// The offer wall and leaderboard skin: panels, bars, dialog, command and header buttons, the tick and
// info marks, the combo box and the scroll bar pieces. These names are used with their ".png" suffix, which is the file
// name.
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
    t.push_back({"offer-detail-bg.png", 320, 480, "skin: offer detail page background, deep navy",
                 [](Painter& p) { p.gradientRect(p.bounds(), rgb(0x1d3553), rgb(0x0b1624)); }});
    t.push_back({"standard-black-button-pressed.png", 80, 30, "skin: standard black button (pressed)",
                 [](Painter& p) { glossy(p, 0x222222, 0x000000, 0x000000, 6); }});
    t.push_back({"bottom-button-on.png", 80, 40, "skin: bottom bar button (on), lit blue",
                 [](Painter& p) { glossy(p, 0x4f8fd8, 0x1f5ca3, 0x123a6a, 6); }});
    t.push_back({"tick.png", 20, 20, "skin: green tick mark", [](Painter& p) {
                     p.strokeLine({Point{4, 10.5}, Point{8.5, 15}, Point{16, 5}}, 3, rgb(0x3cb043));
                 }});
    t.push_back({"command-button.png", 120, 36, "skin: command button, orange",
                 [](Painter& p) { glossy(p, 0xf4a63a, 0xc76d0c, 0x8a4a06, 8); }});
    t.push_back({"tab-selected.png", 64, 49, "skin: selected tab, a light rounded panel", [](Painter& p) {
                     p.fillRoundRect(Rect(2, 2, p.width() - 4, p.height() - 4), 6, Color(1, 1, 1, 0.18));
                 }});
    t.push_back({"round-header-button.png", 60, 30, "skin: rounded header button, slate blue",
                 [](Painter& p) { glossy(p, 0x5a7fa8, 0x2b4c72, 0x1b324f, 10); }});
    t.push_back({"round-header-button-pressed.png", 60, 30, "skin: rounded header button (pressed), darker",
                 [](Painter& p) { glossy(p, 0x2b4c72, 0x18304d, 0x10223a, 10); }});
    t.push_back({"submit-box-title.png", 280, 40, "skin: submit-score dialog title strip", [](Painter& p) {
                     p.gradientRoundRect(p.bounds(), 10, rgb(0x8d99a6), rgb(0x55606c));
                     p.text("Submit Score", p.bounds(), 16, true, kWhite);
                 }});
    t.push_back({"info-icon.png", 24, 24, "skin: info icon, blue disc with a white i", [](Painter& p) {
                     p.gradientCircle(Point{12, 12}, 11, rgb(0x5b9be0), rgb(0x1f5ca3));
                     p.text("i", p.bounds(), 15, true, kWhite);
                 }});
}

} // namespace zelvan::artgen
