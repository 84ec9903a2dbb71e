// Icons: the network badges, presence dots, tab and toolbar pictograms and the messenger's small
// markers. Network badges are coloured discs with a white glyph so each network reads at a glance.
#include <cmath>
#include <string>

#include "tools/artgen/art_table.h"
#include "tools/artgen/glyphs.h"

namespace zelvan::artgen {
namespace {

using gfx::Color;
using gfx::Point;
using gfx::Rect;

// A shaded disc filling the image with a thin darker rim.
void badge(Painter& p, unsigned hex) {
    Point c{p.width() / 2, p.height() / 2};
    double r = std::min(p.width(), p.height()) / 2 - 0.5;
    p.gradientCircle(c, r, shade(rgb(hex), 0.25), shade(rgb(hex), -0.15));
    p.strokeCircle(c, r - 0.5, 1, shade(rgb(hex), -0.35));
}

Rect inner(Painter& p, double inset) {
    return p.bounds().insetBy(inset, inset);
}

// The external networks' badges: colour and glyph per network number.
void networkBadge(Painter& p, int network) {
    static const unsigned kColours[10] = {0x2f80d1, 0xe8a317, 0x3aa757, 0x7b4fc9, 0xd6453d,
                                          0x1aa6a6, 0xe0607e, 0x5b6b7f, 0x8a6d3b, 0x1f5fa0};
    badge(p, kColours[network]);
    Point c{p.width() / 2, p.height() / 2};
    switch (network) {
    case 0:
        p.fillStar(c, 7, 3, 5, kWhite);
        break;
    case 1: // flower
        for (int i = 0; i < 5; ++i) {
            double a = i * 2 * kPi / 5 - kPi / 2;
            p.fillCircle(Point{c.x + 4 * std::cos(a), c.y + 4 * std::sin(a)}, 2.8, kWhite);
        }
        p.fillCircle(c, 2, rgb(kColours[1]));
        break;
    case 2:
        p.fillPolygon({{13, 4}, {7, 13}, {11.5, 13}, {10, 20}, {17, 10}, {12.5, 10}}, kWhite);
        break;
    case 3:
        p.fillPolygon({{12, 4}, {19, 12}, {12, 20}, {5, 12}}, kWhite);
        break;
    case 4:
        glyphBubble(p, Rect(5, 6, 14, 13), kWhite);
        break;
    case 5:
        p.strokeCircle(c, 5.5, 2.5, kWhite);
        break;
    case 6:
        p.fillHeart(Point{12, 12.5}, 13, kWhite);
        break;
    case 7:
        p.fillPolygon({{12, 5}, {19, 18}, {5, 18}}, kWhite);
        break;
    case 8:
        p.fillRect(Rect(10, 5, 4, 14), kWhite);
        p.fillRect(Rect(5, 10, 14, 4), kWhite);
        break;
    default:
        glyphPerson(p, Rect(6, 5, 12, 14), kWhite);
        break;
    }
}

void zelvanBadge(Painter& p) {
    badge(p, 0x6c9a34);
    p.text("Z", p.bounds(), 15, true, kWhite);
}

void groupBadge(Painter& p) {
    badge(p, 0xe07b22);
    glyphPerson(p, Rect(3, 6, 10, 11), shade(kWhite, 0).withAlphaComponent(0.8));
    glyphPerson(p, Rect(11, 6, 10, 11), kWhite.withAlphaComponent(0.8));
    glyphPerson(p, Rect(6.5, 7, 11, 12), kWhite);
}

void roomBadge(Painter& p) {
    badge(p, 0x7a4bb8);
    glyphBubble(p, Rect(4, 5, 12, 10), kWhite.withAlphaComponent(0.75));
    glyphBubble(p, Rect(9, 9, 11, 10), kWhite);
}

// A presence dot with a white ring.
void stateDot(Painter& p, unsigned hex, int mark) {
    Point c{8, 8};
    p.fillCircle(c, 7.5, kWhite);
    p.gradientCircle(c, 6, shade(rgb(hex), 0.3), rgb(hex));
    if (mark == 1) { // idle: clock hands
        p.strokeLine({{8, 4.5}, {8, 8}, {10.5, 9.5}}, 1.4, kWhite);
    } else if (mark == 2) { // busy: bar
        p.fillRect(Rect(4.5, 7, 7, 2), kWhite);
    }
}

const Color kTabGrey = rgb(0x7d7d7d);
const Color kToolbar = rgb(0xf4f4f4);

void usersGlyph(Painter& p, Rect r, const Color& c) {
    double w = r.width();
    glyphPerson(p, Rect(r.minX() + w * 0.38, r.minY(), w * 0.62, r.height() * 0.85), c.withAlphaComponent(0.7));
    glyphPerson(p, Rect(r.minX(), r.minY() + r.height() * 0.15, w * 0.7, r.height() * 0.85), c);
}

void blockGlyph(Painter& p, Rect r, const Color& c) {
    Point centre{r.midX(), r.midY()};
    double rad = r.width() / 2 - 1.5;
    p.strokeCircle(centre, rad, 2.5, c);
    double d = rad * std::cos(kPi / 4);
    p.strokeLine({{centre.x - d, centre.y - d}, {centre.x + d, centre.y + d}}, 2.5, c);
}

void gamesGlyph(Painter& p, Rect r, const Color& c) {
    // A game pad: rounded body, cross on the left, two buttons on the right.
    p.fillRoundRect(Rect(r.minX(), r.minY() + r.height() * 0.25, r.width(), r.height() * 0.5), r.height() * 0.22, c);
    Color hole(1, 1, 1, 1);
    double cx = r.minX() + r.width() * 0.28, cy = r.midY();
    p.fillRect(Rect(cx - 4, cy - 1.2, 8, 2.4), hole);
    p.fillRect(Rect(cx - 1.2, cy - 4, 2.4, 8), hole);
    p.fillCircle(Point{r.minX() + r.width() * 0.68, cy + 1.5}, 1.8, hole);
    p.fillCircle(Point{r.minX() + r.width() * 0.8, cy - 1.5}, 1.8, hole);
}

void contactsGlyph(Painter& p, Rect r, const Color& c) {
    p.fillRoundRect(r.insetBy(r.width() * 0.12, 0), 3, c);
    glyphPerson(p, Rect(r.minX() + r.width() * 0.3, r.minY() + r.height() * 0.18, r.width() * 0.4, r.height() * 0.5),
                kWhite);
    p.fillRect(Rect(r.minX() + r.width() * 0.3, r.minY() + r.height() * 0.76, r.width() * 0.4, 2), kWhite);
}

void chattingGlyph(Painter& p, Rect r) {
    glyphBubble(p, Rect(r.minX(), r.minY(), r.width() * 0.75, r.height() * 0.7), rgb(0x4a90d9));
    glyphBubble(p, Rect(r.minX() + r.width() * 0.3, r.minY() + r.height() * 0.3, r.width() * 0.7, r.height() * 0.7),
                rgb(0x6cc24a));
}

void triangle(Painter& p, bool down) {
    Color c = rgb(0xffffff);
    if (down) {
        p.fillPolygon({{4, 7}, {17, 7}, {10.5, 15}}, c);
    } else {
        p.fillPolygon({{7, 4}, {15, 10.5}, {7, 17}}, c);
    }
}

void warningSign(Painter& p) {
    gfx::Context& c = p.context();
    c.beginPath();
    c.moveToPoint(12, 2);
    c.addLineToPoint(23, 21.5);
    c.addLineToPoint(1, 21.5);
    c.closePath();
    c.setFillColor(rgb(0xf5c518));
    c.setStrokeColor(rgb(0xb8860b));
    c.setLineWidth(1.5);
    c.setLineJoin(gfx::LineJoin::Round);
    c.fillPath();
    c.moveToPoint(12, 2);
    c.addLineToPoint(23, 21.5);
    c.addLineToPoint(1, 21.5);
    c.closePath();
    c.strokePath();
    p.fillRoundRect(Rect(10.8, 8, 2.4, 8), 1.2, rgb(0x333333));
    p.fillCircle(Point{12, 18.5}, 1.4, rgb(0x333333));
}

void gear(Painter& p, Point c, double r, const Color& colour) {
    p.fillStar(c, r, r * 0.78, 8, colour);
    p.fillCircle(c, r * 0.8, colour);
    p.context().setBlendMode(gfx::BlendMode::Copy);
    p.fillCircle(c, r * 0.32, Color(0, 0, 0, 0));
    p.context().setBlendMode(gfx::BlendMode::Normal);
}

// A 32x32 menu tile: rounded square in a colour with a white pictogram.
void menuTile(Painter& p, unsigned hex) {
    p.gradientRoundRect(inner(p, 1), 6, shade(rgb(hex), 0.2), rgb(hex));
}

} // namespace

void addIconArt(std::vector<ArtEntry>& t) {
    // Network badges (the service, chat groups, chat rooms, external networks 0-9).
    t.push_back({"zelvan", 24, 24, "the service's own badge: moss-green disc with a white Z", zelvanBadge});
    t.push_back({"chatgroup", 24, 24, "chat group badge: orange disc with three people", groupBadge});
    t.push_back({"chatroom", 24, 24, "chat room badge: purple disc with two speech bubbles", roomBadge});
    static const char* kGlyphNames[10] = {"star", "flower", "lightning bolt", "diamond", "speech bubble",
                                          "ring", "heart",  "triangle",       "plus",    "person"};
    static const char* kColourNames[10] = {"blue", "amber", "green", "violet", "red",
                                           "teal", "pink",  "slate", "brown",  "navy"};
    for (int n = 0; n < 10; ++n) {
        t.push_back({std::to_string(n), 24, 24,
                     std::string("external IM network ") + std::to_string(n) + " badge: " + kColourNames[n] +
                         " disc with a white " + kGlyphNames[n],
                     [n](Painter& p) { networkBadge(p, n); }});
    }

    // Presence.
    t.push_back({"state0", 16, 16, "offline: grey dot", [](Painter& p) { stateDot(p, 0x9a9a9a, 0); }});
    t.push_back({"state1", 16, 16, "online: green dot", [](Painter& p) { stateDot(p, 0x3cb043, 0); }});
    t.push_back({"state2", 16, 16, "idle: amber dot with clock hands", [](Painter& p) { stateDot(p, 0xf0a020, 1); }});
    t.push_back({"state3", 16, 16, "busy: red dot with a bar", [](Painter& p) { stateDot(p, 0xd9342b, 2); }});

    // Tab bar pictograms.
    t.push_back({"friends", 30, 30, "tab icon: two people", [](Painter& p) { usersGlyph(p, inner(p, 2), kTabGrey); }});
    t.push_back({"contacts", 30, 30, "tab icon and contact head: address card with a person",
                 [](Painter& p) { contactsGlyph(p, inner(p, 2), kTabGrey); }});
    t.push_back({"games", 30, 30, "tab icon: game pad", [](Painter& p) { gamesGlyph(p, inner(p, 1), kTabGrey); }});

    // Chat window toolbar pictograms (light, on the dark toolbar).
    t.push_back({"btn_home", 20, 20, "toolbar: house", [](Painter& p) { glyphHouse(p, inner(p, 2), kToolbar); }});
    t.push_back(
        {"btn_chat", 20, 20, "toolbar: speech bubble", [](Painter& p) { glyphBubble(p, inner(p, 2), kToolbar); }});
    t.push_back({"btn_voip", 20, 20, "toolbar: green phone handset",
                 [](Painter& p) { glyphPhone(p, inner(p, 1), rgb(0x5fd35f), false); }});
    t.push_back({"btn_voip_end", 20, 20, "toolbar: red handset laid down",
                 [](Painter& p) { glyphPhone(p, inner(p, 1), rgb(0xf05a4f), true); }});
    t.push_back({"btn_camera", 20, 20, "toolbar: camera",
                 [](Painter& p) { glyphCamera(p, inner(p, 1), kToolbar, rgb(0x555555)); }});
    t.push_back({"btn_users", 20, 20, "toolbar: two people", [](Painter& p) { usersGlyph(p, inner(p, 2), kToolbar); }});
    t.push_back({"btn_block", 20, 20, "toolbar: red no-entry circle",
                 [](Painter& p) { blockGlyph(p, inner(p, 1), rgb(0xf05a4f)); }});
    t.push_back({"btn_unblock", 20, 20, "toolbar: green tick",
                 [](Painter& p) { glyphTick(p, inner(p, 2), 3, rgb(0x5fd35f)); }});

    // Messenger markers.
    t.push_back({"icon_chatting", 24, 24, "bar icon: two overlapping speech bubbles",
                 [](Painter& p) { chattingGlyph(p, inner(p, 1)); }});
    t.push_back({"icon_contacts", 24, 24, "bar icon: address card",
                 [](Painter& p) { contactsGlyph(p, inner(p, 1), rgb(0x8a6d3b)); }});
    t.push_back({"im_minimize", 21, 21, "fold indicator (folded): white right-pointing triangle",
                 [](Painter& p) { triangle(p, false); }});
    t.push_back({"im_expand", 21, 21, "fold indicator (unfolded): white down-pointing triangle",
                 [](Painter& p) { triangle(p, true); }});
    t.push_back({"im-notification", 16, 16, "offline-message marker: small envelope",
                 [](Painter& p) { glyphEnvelope(p, Rect(1, 3, 14, 10), rgb(0xfafafa), rgb(0xd9342b)); }});
    t.push_back({"accessory-manage", 28, 28, "cell edit accessory: grey gear", [](Painter& p) {
                     gear(p, Point{14, 14}, 11, rgb(0x6f6f6f));
                 }});
    t.push_back({"warning", 24, 24, "warning: yellow triangle with an exclamation mark", warningSign});
    t.push_back({"photo_placeholder", 32, 32, "picture placeholder: framed landscape",
                 [](Painter& p) { glyphPicture(p, inner(p, 1)); }});

    // Chat group menu tiles.
    t.push_back({"chatgroup-editprofile", 32, 32, "menu: blue tile with a pencil", [](Painter& p) {
                     menuTile(p, 0x3a7bd5);
                     glyphPencil(p, inner(p, 7), kWhite);
                 }});
    t.push_back({"chatgroup-editmember", 32, 32, "menu: green tile with two people", [](Painter& p) {
                     menuTile(p, 0x3aa757);
                     usersGlyph(p, inner(p, 6), kWhite);
                 }});
    t.push_back({"chatgroup-disband", 32, 32, "menu: red tile with a cross", [](Painter& p) {
                     menuTile(p, 0xd6453d);
                     glyphCross(p, inner(p, 8), 3.5, kWhite);
                 }});
}

} // namespace zelvan::artgen
