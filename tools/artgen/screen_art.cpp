// Screen pieces: the messenger's bars and chat bubbles, the game loading screens (an animated spinner
// ring, one frame per image), the loading bar, the create-table field and the chips exchange panel.
#include <cmath>
#include <string>

#include "tools/artgen/art_table.h"

namespace zelvan::artgen {
namespace {

using gfx::Color;
using gfx::Point;
using gfx::Rect;

// A horizontal bar: gradient, light line on top, dark line at the bottom.
void bar(Painter& p, unsigned top, unsigned bottom) {
    p.gradientRect(p.bounds(), rgb(top), rgb(bottom));
    p.fillRect(Rect(0, 0, p.width(), 1), Color(1, 1, 1, 0.35));
    p.fillRect(Rect(0, p.height() - 1, p.width(), 1), Color(0, 0, 0, 0.35));
}

// The bubble body and tail as one filled shape, `inset` pixels inside the image.
void bubbleShape(Painter& p, bool tailLeft, double inset, const Color& c) {
    constexpr double kTail = 8;
    double w = p.width(), h = p.height();
    Rect body = tailLeft ? Rect(kTail, 0, w - kTail, h) : Rect(0, 0, w - kTail, h);
    p.fillRoundRect(body.insetBy(inset, inset), 10 - inset, c);
    double tip = tailLeft ? inset * 1.6 : w - inset * 1.6;
    double base = tailLeft ? kTail + inset + 2 : w - kTail - inset - 2;
    p.fillPolygon({Point{tip, 12}, Point{base, 7 + inset}, Point{base, 19 - inset}}, c);
}

void bubble(Painter& p, bool tailLeft, unsigned fill) {
    bubbleShape(p, tailLeft, 0, shade(rgb(fill), -0.3));
    bubbleShape(p, tailLeft, 1, rgb(fill));
    p.fillRect(Rect(tailLeft ? 18 : 10, 2, p.width() - 28, 1), Color(1, 1, 1, 0.6));
}

// One frame of the loading screen: night-blue gradient and a ring of `count` dots whose lit dot
// (with a fading trail) advances one place per frame.
void loadingFrame(Painter& p, int frame, int count) {
    p.gradientRect(p.bounds(), rgb(0x1d4e7a), rgb(0x0a1a2b));
    Point centre{p.width() / 2, p.height() * 0.62};
    double ring = std::min(p.width(), p.height()) * 0.16;
    for (int i = 0; i < count; ++i) {
        int behind = ((frame - 1 - i) % count + count) % count;
        double glow = behind < 4 ? 1.0 - behind * 0.22 : 0.18;
        double a = -kPi / 2 + i * 2 * kPi / count;
        p.fillCircle(Point{centre.x + ring * std::cos(a), centre.y + ring * std::sin(a)}, 4,
                     Color(0.65, 0.85, 1, glow));
    }
}

void gameLogo(Painter& p) {
    p.gradientRoundRect(p.bounds().insetBy(1, 1), 14, rgb(0x9cbf63), rgb(0x4f7024));
    p.strokeRoundRect(p.bounds().insetBy(1, 1), 14, 2, rgb(0xf4e3a1));
    p.text("Zelvan", Rect(0, 8, p.width(), 40), 28, true, kWhite);
    p.text("GAMES", Rect(0, 46, p.width(), 24), 15, true, rgb(0xf4e3a1));
}

void roundButton(Painter& p, unsigned hex, bool plus) {
    Point c{p.width() / 2, p.height() / 2};
    p.gradientCircle(c, c.x - 0.5, shade(rgb(hex), 0.3), shade(rgb(hex), -0.2));
    p.fillRect(Rect(c.x - 7, c.y - 1.5, 14, 3), kWhite);
    if (plus) {
        p.fillRect(Rect(c.x - 1.5, c.y - 7, 3, 14), kWhite);
    }
}

void labelButton(Painter& p, unsigned hex, const char* title) {
    p.gradientRoundRect(p.bounds(), 7, shade(rgb(hex), 0.3), rgb(hex));
    p.strokeRoundRect(p.bounds(), 7, 1, shade(rgb(hex), -0.35));
    p.text(title, p.bounds(), 14, true, kWhite);
}

void chipsPanel(Painter& p) {
    p.gradientRoundRect(p.bounds(), 12, rgb(0x2e7d4f), rgb(0x1a4d30));
    p.strokeRoundRect(p.bounds(), 12, 3, rgb(0xd9b44a));
    p.text("Exchange chips", Rect(0, 10, p.width(), 26), 16, true, rgb(0xf4e3a1));
    p.fillRect(Rect(20, 40, p.width() - 40, 1), Color(1, 1, 1, 0.3));
    // The slider's groove between the minus and plus buttons.
    p.fillRoundRect(Rect(50, 100, 185, 6), 3, Color(0, 0, 0, 0.35));
}

void chip(Painter& p) {
    Point c{12, 12};
    p.fillCircle(c, 11.5, rgb(0xc0392b));
    for (int i = 0; i < 6; ++i) {
        double a = i * kPi / 3;
        p.strokeArc(c, 9.5, a - 0.25, a + 0.25, 3, kWhite);
    }
    p.fillCircle(c, 6, rgb(0xe74c3c));
    p.strokeCircle(c, 6, 1, kWhite);
}

} // namespace

void addScreenArt(std::vector<ArtEntry>& t) {
    // Messenger bars and bubbles.
    t.push_back({"im-bar-background", 320, 59, "messenger list bar: dark slate gradient",
                 [](Painter& p) { bar(p, 0x5b6d86, 0x2c3847); }});
    t.push_back({"im-bar-minimized", 320, 35, "chat window toolbar: dark slate gradient",
                 [](Painter& p) { bar(p, 0x4d5d73, 0x242e3a); }});
    t.push_back({"input-background", 320, 44, "chat input bar: light grey gradient",
                 [](Painter& p) { bar(p, 0xe9ecef, 0xc3c8ce); }});
    t.push_back({"bubble-left-0", 76, 44, "friend's chat bubble, tail on the left (caps 60/24)",
                 [](Painter& p) { bubble(p, true, 0xf4f4f4); }});
    // Own chat bubbles come in six colours, numbered 0 to 5.
    static const unsigned kBubbleColours[6] = {0xcfe8ff, 0xd5f5c8, 0xfff3b0, 0xffd6e0, 0xe4dcff, 0xffe0c2};
    static const char* kBubbleNames[6] = {"blue", "green", "yellow", "pink", "lavender", "apricot"};
    for (int i = 0; i < 6; ++i) {
        t.push_back({"bubble-right-" + std::to_string(i), 64, 44,
                     std::string("own chat bubble, ") + kBubbleNames[i] + ", tail on the right (caps 38/24)",
                     [i](Painter& p) { bubble(p, false, kBubbleColours[i]); }});
    }
    t.push_back({"emoticon-btn", 36, 36, "input bar emoticon button: smiling face on a rounded key", [](Painter& p) {
                     p.gradientRoundRect(p.bounds().insetBy(2, 2), 6, rgb(0xffffff), rgb(0xd9dde2));
                     p.strokeRoundRect(p.bounds().insetBy(2, 2), 6, 1, rgb(0x9aa3ad));
                     p.fillCircle(Point{18, 18}, 10, rgb(0xffd43b));
                     p.fillCircle(Point{14.5, 15.5}, 1.5, rgb(0x4a2c0a));
                     p.fillCircle(Point{21.5, 15.5}, 1.5, rgb(0x4a2c0a));
                     p.strokeArc(Point{18, 18}, 5.5, kPi * 0.2, kPi * 0.8, 1.5, rgb(0x4a2c0a));
                 }});

    // Game loading screen: the background animates through 18 portrait and 19 landscape frames,
    // numbered from 1.
    for (int i = 1; i <= 18; ++i) {
        t.push_back({"game-loading-bg-" + std::to_string(i), 320, 480,
                     "game loading background (portrait), spinner frame " + std::to_string(i) + " of 18",
                     [i](Painter& p) { loadingFrame(p, i, 18); }});
    }
    for (int i = 1; i <= 19; ++i) {
        t.push_back({"game-loading-bg-land-" + std::to_string(i), 480, 320,
                     "game loading background (landscape), spinner frame " + std::to_string(i) + " of 19",
                     [i](Painter& p) { loadingFrame(p, i, 19); }});
    }
    t.push_back({"game-logo", 160, 80, "games logo: moss-green plaque", gameLogo});
    t.push_back({"game_loading_progress_1", 200, 12, "loading bar track: dark rounded groove", [](Painter& p) {
                     p.fillRoundRect(p.bounds(), 6, rgb(0x0b1520));
                     p.strokeRoundRect(p.bounds(), 6, 1, rgb(0x3d5a78));
                 }});
    t.push_back({"game_loading_progress_2", 8, 12, "loading bar fill: green band (stretched sideways)",
                 [](Painter& p) { p.gradientRect(p.bounds().insetBy(0, 1), rgb(0x9be36b), rgb(0x3e9a1e)); }});
    t.push_back({"game-createtable-input", 289, 26, "create-table text field: white rounded box", [](Painter& p) {
                     p.fillRoundRect(p.bounds(), 6, kWhite);
                     p.strokeRoundRect(p.bounds(), 6, 1, rgb(0x8e99a4));
                 }});
    t.push_back({"game-createtable-inputlabel", 120, 20, "create-table caption \"Table name\" in white",
                 [](Painter& p) { p.text("Table name", p.bounds(), 13, true, kWhite); }});

    // Chips exchange panel.
    t.push_back({"chips_bg", 275, 165, "chips exchange panel: green felt with a gold rim", chipsPanel});
    t.push_back({"chips_decrease", 28, 28, "chips: red round minus button",
                 [](Painter& p) { roundButton(p, 0xd6453d, false); }});
    t.push_back(
        {"chips_add", 28, 28, "chips: green round plus button", [](Painter& p) { roundButton(p, 0x3aa757, true); }});
    t.push_back({"chips_confirm", 60, 30, "chips: gold OK button", [](Painter& p) { labelButton(p, 0xc99a1e, "OK"); }});
    t.push_back(
        {"chips_cancel", 60, 30, "chips: grey Cancel button", [](Painter& p) { labelButton(p, 0x7d8791, "Cancel"); }});
    t.push_back({"chips_percent.png", 24, 24, "chips slider thumb: red casino chip", chip});
}

} // namespace zelvan::artgen
