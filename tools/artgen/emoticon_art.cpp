// The 42 emoticons, 24x24, in the order of the chat's emoticon texts: fifteen classic faces and
// signs (":)" to "(l)") followed by the twenty-seven numbered ones ("[~0~]" to "[~26~]").
#include <cmath>
#include <functional>
#include <string>

#include "tools/artgen/art_table.h"
#include "tools/artgen/glyphs.h"

namespace zelvan::artgen {
namespace {

using gfx::Color;
using gfx::Point;
using gfx::Rect;

const Color kInk = rgb(0x4a2c0a);
const Point kC{12, 12};

void face(Painter& p, unsigned hex = 0xffd43b) {
    p.gradientCircle(kC, 11, shade(rgb(hex), 0.45), shade(rgb(hex), -0.12));
    p.strokeCircle(kC, 10.75, 1, shade(rgb(hex), -0.45));
}
void eyes(Painter& p, double y = 9.5, double r = 1.6) {
    p.fillCircle(Point{8.5, y}, r, kInk);
    p.fillCircle(Point{15.5, y}, r, kInk);
}
void smile(Painter& p, double r = 6, double cy = 12) {
    p.strokeArc(Point{12, cy}, r, kPi * 0.2, kPi * 0.8, 1.6, kInk);
}
void frown(Painter& p) {
    p.strokeArc(Point{12, 20}, 5, kPi * 1.25, kPi * 1.75, 1.6, kInk);
}
void grinMouth(Painter& p, double cy = 13) {
    p.fillChord(Point{12, cy}, 6, 0, kPi, kInk);
    p.fillChord(Point{12, cy}, 4.6, kPi * 0.1, kPi * 0.9, rgb(0xe0454f));
}
void closedEyes(Painter& p) {
    p.strokeArc(Point{8.5, 8.5}, 2, kPi * 0.15, kPi * 0.85, 1.3, kInk);
    p.strokeArc(Point{15.5, 8.5}, 2, kPi * 0.15, kPi * 0.85, 1.3, kInk);
}
void tear(Painter& p, double x, double y) {
    p.fillPolygon({{x, y - 3}, {x - 1.8, y}, {x + 1.8, y}}, rgb(0x4aa3ff));
    p.fillCircle(Point{x, y + 0.2}, 1.8, rgb(0x4aa3ff));
}
void thumb(Painter& p, bool up) {
    gfx::Context& c = p.context();
    gfx::StateSaver saver(c);
    if (!up) {
        c.translateCTM(24, 24);
        c.rotateCTM(kPi);
    }
    Color skin = rgb(0xf2b866), edge = rgb(0xa86d22);
    p.fillRoundRect(Rect(7, 10, 12, 11), 3, skin);
    p.fillRoundRect(Rect(9, 2.5, 5, 11), 2.5, skin);
    p.fillRect(Rect(3, 10.5, 4, 10), rgb(0x3a7bd5));
    p.strokeLine({{9, 14}, {18, 14}}, 0.8, edge);
    p.strokeLine({{9, 17.5}, {18, 17.5}}, 0.8, edge);
}
void sunglasses(Painter& p) {
    p.fillRoundRect(Rect(4.5, 7.5, 6.5, 4.5), 2, rgb(0x222222));
    p.fillRoundRect(Rect(13, 7.5, 6.5, 4.5), 2, rgb(0x222222));
    p.fillRect(Rect(10.5, 8.3, 3, 1.2), rgb(0x222222));
}
void clockFace(Painter& p) {
    p.fillCircle(kC, 10.5, rgb(0xfafafa));
    p.strokeCircle(kC, 10, 2, rgb(0x3a7bd5));
    p.strokeLine({{12, 6}, {12, 12}, {16, 14}}, 1.8, rgb(0x333333));
}
void cloud(Painter& p, double y, const Color& c) {
    p.fillCircle(Point{8, y + 2}, 4.5, c);
    p.fillCircle(Point{13.5, y}, 5.5, c);
    p.fillCircle(Point{17.5, y + 2.5}, 4, c);
    p.fillRect(Rect(8, y + 2, 9.5, 4.5), c);
}

using Draw = std::function<void(Painter&)>;
struct Emoticon {
    const char* text;
    const char* shows;
    Draw draw;
};

const std::vector<Emoticon>& emoticons() {
    static const std::vector<Emoticon> list = {
        {":)", "smiling face",
         [](Painter& p) {
             face(p);
             eyes(p);
             smile(p);
         }},
        {":D", "grinning face",
         [](Painter& p) {
             face(p);
             eyes(p, 9, 1.8);
             grinMouth(p);
         }},
        {":p", "face sticking out its tongue",
         [](Painter& p) {
             face(p);
             eyes(p);
             p.strokeLine({{7.5, 15}, {16.5, 15}}, 1.6, kInk);
             p.fillChord(Point{13, 15.5}, 3, 0, kPi, rgb(0xe0454f));
         }},
        {":(", "sad face",
         [](Painter& p) {
             face(p);
             eyes(p);
             frown(p);
         }},
        {":'(", "crying face",
         [](Painter& p) {
             face(p);
             eyes(p);
             frown(p);
             tear(p, 7.5, 14);
         }},
        {"|-)", "sleepy face with closed eyes",
         [](Painter& p) {
             face(p);
             p.strokeLine({{6.5, 9.5}, {10.5, 9.5}}, 1.5, kInk);
             p.strokeLine({{13.5, 9.5}, {17.5, 9.5}}, 1.5, kInk);
             p.fillEllipse(Rect(10, 14.5, 4, 3), kInk);
         }},
        {":@", "angry red face",
         [](Painter& p) {
             face(p, 0xf0643c);
             eyes(p, 10.5);
             p.strokeLine({{6, 6.5}, {10.5, 8.5}}, 1.6, kInk);
             p.strokeLine({{18, 6.5}, {13.5, 8.5}}, 1.6, kInk);
             frown(p);
         }},
        {":s", "confused face with a wavy mouth",
         [](Painter& p) {
             face(p);
             eyes(p);
             p.strokeLine({{6.5, 16}, {9, 14.5}, {12, 16.5}, {15, 14.5}, {17.5, 16}}, 1.5, kInk);
         }},
        {":o", "surprised face",
         [](Painter& p) {
             face(p);
             eyes(p, 9, 1.8);
             p.fillEllipse(Rect(9.5, 13, 5, 6), kInk);
         }},
        {":$", "blushing face",
         [](Painter& p) {
             face(p);
             closedEyes(p);
             smile(p, 4, 13);
             p.fillEllipse(Rect(3.5, 12, 4.5, 3), rgb(0xff7f7f, 0.7));
             p.fillEllipse(Rect(16, 12, 4.5, 3), rgb(0xff7f7f, 0.7));
         }},
        {"(y)", "thumbs up", [](Painter& p) { thumb(p, true); }},
        {"(n)", "thumbs down", [](Painter& p) { thumb(p, false); }},
        {"(h)", "cool face with sunglasses",
         [](Painter& p) {
             face(p);
             sunglasses(p);
             smile(p, 5, 12.5);
         }},
        {"8o|", "face baring its teeth",
         [](Painter& p) {
             face(p);
             eyes(p, 8.5, 2);
             p.fillRoundRect(Rect(6.5, 13.5, 11, 5), 1.5, kWhite);
             p.strokeRoundRect(Rect(6.5, 13.5, 11, 5), 1.5, 1, kInk);
             p.strokeLine({{6.5, 16}, {17.5, 16}}, 0.8, kInk);
         }},
        {"(l)", "red heart",
         [](Painter& p) {
             p.fillHeart(Point{12, 12.5}, 21, rgb(0xe0303a));
         }},
        {"[~0~]", "gold star", [](Painter& p) { p.fillStar(kC, 11, 4.6, 5, rgb(0xf5b700)); }},
        {"[~1~]", "sun",
         [](Painter& p) {
             for (int i = 0; i < 8; ++i) {
                 double a = i * kPi / 4;
                 p.strokeLine(
                     {{12 + 7 * std::cos(a), 12 + 7 * std::sin(a)}, {12 + 10.5 * std::cos(a), 12 + 10.5 * std::sin(a)}},
                     1.8, rgb(0xf5a000));
             }
             p.fillCircle(kC, 5.5, rgb(0xffcc00));
         }},
        {"[~2~]", "crescent moon",
         [](Painter& p) {
             p.fillCircle(kC, 9.5, rgb(0xf2d25c));
             p.context().setBlendMode(gfx::BlendMode::Copy);
             p.fillCircle(Point{16, 9}, 8, Color(0, 0, 0, 0));
             p.context().setBlendMode(gfx::BlendMode::Normal);
         }},
        {"[~3~]", "rain cloud",
         [](Painter& p) {
             cloud(p, 7, rgb(0x8c9bab));
             for (double x : {8.0, 12.5, 17.0})
                 p.strokeLine({{x, 16}, {x - 1.5, 20.5}}, 1.5, rgb(0x3a8ee6));
         }},
        {"[~4~]", "lightning bolt",
         [](Painter& p) {
             p.fillPolygon({{14, 1}, {5, 13.5}, {11, 13.5}, {9, 23}, {19, 9.5}, {13, 9.5}}, rgb(0xffc400));
         }},
        {"[~5~]", "red flower",
         [](Painter& p) {
             p.strokeLine({{12, 13}, {12, 23}}, 1.8, rgb(0x3a9a3a));
             for (int i = 0; i < 5; ++i) {
                 double a = i * 2 * kPi / 5 - kPi / 2;
                 p.fillCircle(Point{12 + 4.3 * std::cos(a), 9 + 4.3 * std::sin(a)}, 3.6, rgb(0xe0405a));
             }
             p.fillCircle(Point{12, 9}, 2.4, rgb(0xffd43b));
         }},
        {"[~6~]", "gift box",
         [](Painter& p) {
             p.fillRect(Rect(3, 9, 18, 13), rgb(0xd6453d));
             p.fillRect(Rect(2, 6, 20, 4), rgb(0xe8594f));
             p.fillRect(Rect(10.5, 6, 3, 16), rgb(0xffd43b));
             p.strokeCircle(Point{9, 4}, 2.3, 1.6, rgb(0xffd43b));
             p.strokeCircle(Point{15, 4}, 2.3, 1.6, rgb(0xffd43b));
         }},
        {"[~7~]", "birthday cake",
         [](Painter& p) {
             p.fillRoundRect(Rect(3, 12, 18, 10), 2, rgb(0xc98a4b));
             p.fillRect(Rect(3, 12, 18, 3), rgb(0xfff3e0));
             p.fillRect(Rect(11, 5, 2, 7), rgb(0x4a90d9));
             p.fillEllipse(Rect(10.5, 1.5, 3, 4), rgb(0xff9d00));
         }},
        {"[~8~]", "cup of coffee",
         [](Painter& p) {
             p.fillRoundRect(Rect(3, 9, 14, 12), 3, rgb(0xfafafa));
             p.strokeRoundRect(Rect(3, 9, 14, 12), 3, 1, rgb(0x8b5a2b));
             p.strokeCircle(Point{18, 14}, 2.8, 1.6, rgb(0x8b5a2b));
             p.fillRect(Rect(4, 10, 12, 2.5), rgb(0x6f3f1d));
             p.strokeLine({{8, 2.5}, {9, 4.5}, {8, 6.5}}, 1.1, rgb(0x9a9a9a));
             p.strokeLine({{12, 2.5}, {13, 4.5}, {12, 6.5}}, 1.1, rgb(0x9a9a9a));
         }},
        {"[~9~]", "mug of beer",
         [](Painter& p) {
             p.fillRoundRect(Rect(4, 7, 12, 15), 2, rgb(0xf2a81d));
             p.strokeCircle(Point{17.5, 14}, 3, 1.8, rgb(0xd98c00));
             cloud(p, 3.5, kWhite);
         }},
        {"[~10~]", "music notes",
         [](Painter& p) {
             p.fillEllipse(Rect(3, 16, 6, 4.5), rgb(0x5b3fb8));
             p.fillEllipse(Rect(14, 14, 6, 4.5), rgb(0x5b3fb8));
             p.fillRect(Rect(7.5, 5, 1.6, 13), rgb(0x5b3fb8));
             p.fillRect(Rect(18.5, 3, 1.6, 13), rgb(0x5b3fb8));
             p.fillPolygon({{7.5, 5}, {20.1, 3}, {20.1, 6}, {7.5, 8}}, rgb(0x5b3fb8));
         }},
        {"[~11~]", "telephone handset", [](Painter& p) { glyphPhone(p, Rect(2, 2, 20, 20), rgb(0x2f9e44), false); }},
        {"[~12~]", "envelope", [](Painter& p) { glyphEnvelope(p, Rect(2, 5, 20, 14), rgb(0xfafafa), rgb(0x3a7bd5)); }},
        {"[~13~]", "clock", clockFace},
        {"[~14~]", "broken heart",
         [](Painter& p) {
             p.fillHeart(Point{12, 12.5}, 21, rgb(0xb0202a));
             p.strokeLine({{12, 5}, {10, 9}, {14, 13}, {11, 17}, {12, 21}}, 1.6, kWhite);
         }},
        {"[~15~]", "kiss: red lips",
         [](Painter& p) {
             p.fillEllipse(Rect(3, 7, 18, 10), rgb(0xd81b3c));
             p.strokeLine({{4, 12}, {12, 13}, {20, 12}}, 1.2, rgb(0x7a0d20));
             p.context().setBlendMode(gfx::BlendMode::Copy);
             p.fillPolygon({{9.5, 6.5}, {12, 9}, {14.5, 6.5}}, Color(0, 0, 0, 0));
             p.context().setBlendMode(gfx::BlendMode::Normal);
         }},
        {"[~16~]", "winking face",
         [](Painter& p) {
             face(p);
             p.fillCircle(Point{8.5, 9.5}, 1.6, kInk);
             p.strokeLine({{13.5, 9.5}, {17.5, 9.5}}, 1.5, kInk);
             smile(p);
         }},
        {"[~17~]", "laughing face with tears",
         [](Painter& p) {
             face(p);
             closedEyes(p);
             grinMouth(p, 13.5);
             tear(p, 4, 12);
             tear(p, 20, 12);
         }},
        {"[~18~]", "devil face with horns",
         [](Painter& p) {
             p.fillPolygon({{4, 9}, {3, 1}, {9, 5}}, rgb(0x8e1b1b));
             p.fillPolygon({{20, 9}, {21, 1}, {15, 5}}, rgb(0x8e1b1b));
             face(p, 0xd6453d);
             p.strokeLine({{6, 8}, {10.5, 10}}, 1.6, kInk);
             p.strokeLine({{18, 8}, {13.5, 10}}, 1.6, kInk);
             smile(p);
         }},
        {"[~19~]", "angel face with a halo",
         [](Painter& p) {
             face(p);
             closedEyes(p);
             smile(p);
             p.strokeRoundRect(Rect(5, 0.5, 14, 4.5), 2.2, 1.6, rgb(0xf5b700));
         }},
        {"[~20~]", "sick green face",
         [](Painter& p) {
             face(p, 0x9ccc65);
             eyes(p);
             p.strokeLine({{8, 16}, {16, 16}}, 1.6, kInk);
         }},
        {"[~21~]", "sleeping face with Z",
         [](Painter& p) {
             face(p);
             closedEyes(p);
             p.fillEllipse(Rect(10.5, 14.5, 3, 3), kInk);
             p.text("z", Rect(14, 0, 10, 9), 9, true, rgb(0x3a7bd5));
         }},
        {"[~22~]", "face with dollar-sign eyes",
         [](Painter& p) {
             face(p);
             p.text("$", Rect(4, 5, 9, 9), 9, true, rgb(0x2f9e44));
             p.text("$", Rect(11, 5, 9, 9), 9, true, rgb(0x2f9e44));
             smile(p);
         }},
        {"[~23~]", "football",
         [](Painter& p) {
             p.fillCircle(kC, 10.5, kWhite);
             p.strokeCircle(kC, 10.3, 1, rgb(0x333333));
             std::vector<Point> pent;
             for (int i = 0; i < 5; ++i) {
                 double a = -kPi / 2 + i * 2 * kPi / 5;
                 pent.push_back(Point{12 + 4 * std::cos(a), 12 + 4 * std::sin(a)});
             }
             p.fillPolygon(pent, rgb(0x222222));
         }},
        {"[~24~]", "trophy cup",
         [](Painter& p) {
             Color gold = rgb(0xf0b400);
             p.fillChord(Point{12, 4}, 7.5, 0, kPi, gold);
             p.strokeCircle(Point{4.5, 7.5}, 2.6, 1.5, gold);
             p.strokeCircle(Point{19.5, 7.5}, 2.6, 1.5, gold);
             p.fillRect(Rect(10.5, 11, 3, 6), gold);
             p.fillRect(Rect(6.5, 17, 11, 4), shade(gold, -0.2));
         }},
        {"[~25~]", "die showing five",
         [](Painter& p) {
             p.fillRoundRect(Rect(2.5, 2.5, 19, 19), 4, kWhite);
             p.strokeRoundRect(Rect(2.5, 2.5, 19, 19), 4, 1, rgb(0x555555));
             for (Point d : {Point{7.5, 7.5}, Point{16.5, 7.5}, kC, Point{7.5, 16.5}, Point{16.5, 16.5}})
                 p.fillCircle(d, 1.8, rgb(0x222222));
         }},
        {"[~26~]", "ghost",
         [](Painter& p) {
             Color g(0.93, 0.94, 1, 1);
             p.fillChord(Point{12, 10}, 8, kPi, 2 * kPi, g);
             p.fillPolygon(
                 {{4, 10}, {20, 10}, {20, 22}, {17.3, 19}, {14.6, 22}, {12, 19}, {9.4, 22}, {6.7, 19}, {4, 22}}, g);
             p.fillCircle(Point{9, 10}, 1.6, rgb(0x333333));
             p.fillCircle(Point{15, 10}, 1.6, rgb(0x333333));
         }},
    };
    return list;
}

} // namespace

void addEmoticonArt(std::vector<ArtEntry>& t) {
    const auto& list = emoticons();
    for (size_t i = 0; i < list.size(); ++i) {
        t.push_back({"e" + std::to_string(i), 24, 24,
                     std::string("emoticon \"") + list[i].text + "\": " + list[i].shows, list[i].draw});
    }
}

} // namespace zelvan::artgen
