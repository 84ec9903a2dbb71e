// Default pictures of people and groups: heads (colour and grey), full-body figures, home pictures,
// the avatar bar's placeholder and selection marker, and the default chat group picture.
#include <algorithm>

#include "tools/artgen/art_table.h"
#include "tools/artgen/glyphs.h"

namespace zelvan::artgen {
namespace {

using gfx::Color;
using gfx::Point;
using gfx::Rect;

// A head-and-shoulders silhouette on a soft square; `unknown` puts a question mark on the face.
void head(Painter& p, unsigned background, unsigned figure, bool unknown) {
    p.gradientRoundRect(p.bounds(), 6, shade(rgb(background), 0.3), rgb(background));
    Rect person = p.bounds().insetBy(p.width() * 0.12, p.height() * 0.08).offsetBy(0, p.height() * 0.08);
    glyphPerson(p, person, rgb(figure));
    if (unknown) {
        // On the face, in the background's colour (the head's centre as glyphPerson places it).
        double s = std::min(person.width(), person.height());
        double headY = person.maxY() - s * 0.7;
        p.text("?", Rect(0, headY - s * 0.22, p.width(), s * 0.44), s * 0.34, true, shade(rgb(background), -0.25));
    }
}

// A standing figure: head, body, arms and legs.
void figure(Painter& p, unsigned background, unsigned body, bool unknown) {
    double w = p.width(), h = p.height();
    p.gradientRect(p.bounds(), shade(rgb(background), 0.35), rgb(background));
    Color c = rgb(body);
    p.fillCircle(Point{w / 2, h * 0.17}, w * 0.13, c);
    p.fillRoundRect(Rect(w * 0.32, h * 0.29, w * 0.36, h * 0.36), w * 0.08, c);
    p.strokeLine({Point{w * 0.34, h * 0.33}, Point{w * 0.2, h * 0.55}}, w * 0.09, c);
    p.strokeLine({Point{w * 0.66, h * 0.33}, Point{w * 0.8, h * 0.55}}, w * 0.09, c);
    p.strokeLine({Point{w * 0.42, h * 0.62}, Point{w * 0.4, h * 0.9}}, w * 0.11, c);
    p.strokeLine({Point{w * 0.58, h * 0.62}, Point{w * 0.6, h * 0.9}}, w * 0.11, c);
    if (unknown) {
        p.text("?", Rect(0, h * 0.17 - w * 0.13, w, w * 0.26), w * 0.2, true, shade(rgb(background), -0.25));
    }
}

void homePicture(Painter& p) {
    glyphPicture(p, p.bounds());
    p.fillRoundRect(Rect(p.width() / 2 - 16, p.height() / 2 - 16, 32, 32), 8, Color(0, 0, 0, 0.35));
    p.text("?", Rect(0, p.height() / 2 - 16, p.width(), 32), 24, true, kWhite);
}

void groupPicture(Painter& p) {
    p.gradientRoundRect(p.bounds(), 6, rgb(0xf6b26b), rgb(0xe07b22));
    glyphPerson(p, Rect(4, 14, 26, 34), rgb(0xfbe3c8));
    glyphPerson(p, Rect(30, 14, 26, 34), rgb(0xfbe3c8));
    glyphPerson(p, Rect(14, 20, 32, 40), kWhite);
}

void selectionMarker(Painter& p) {
    p.strokeRoundRect(p.bounds(), 6, 3, rgb(0x3cb043));
    p.fillCircle(Point{44, 44}, 8, rgb(0x3cb043));
    glyphTick(p, Rect(38.5, 38.5, 11, 11), 2.2, kWhite);
}

} // namespace

void addAvatarArt(std::vector<ArtEntry>& t) {
    t.push_back({"avatar_default", 60, 60, "default head: white silhouette on sky blue",
                 [](Painter& p) { head(p, 0x7fb3e0, 0xffffff, false); }});
    t.push_back({"avatar_default_gray", 60, 60, "default head, grey (offline)",
                 [](Painter& p) { head(p, 0x7fb3e0, 0xffffff, false); }, Finish::Gray});
    t.push_back({"avatar_unknown", 60, 60, "unknown person's head: silhouette with a question mark",
                 [](Painter& p) { head(p, 0xa7b4c2, 0xffffff, true); }});
    t.push_back({"avatar_unknown_gray", 60, 60, "unknown person's head, grey (offline)",
                 [](Painter& p) { head(p, 0xa7b4c2, 0xffffff, true); }, Finish::Gray});
    t.push_back({"avatar_full_default", 100, 160, "default full-body avatar: standing figure",
                 [](Painter& p) { figure(p, 0x7fb3e0, 0xffffff, false); }});
    t.push_back({"avatar_full_unknown", 100, 160, "unknown full-body avatar: figure with a question mark",
                 [](Painter& p) { figure(p, 0xa7b4c2, 0xffffff, true); }});
    t.push_back(
        {"avatar_homepic_unknown", 160, 120, "unknown home picture: landscape with a question mark", homePicture});
    t.push_back({"avatar_item_default", 54, 54, "avatar bar placeholder item: grey silhouette",
                 [](Painter& p) { head(p, 0xd5dae0, 0x9aa5b1, false); }});
    t.push_back({"avatar_selected", 54, 54, "avatar bar selection marker: green frame with a tick", selectionMarker});
    t.push_back({"chatgroup-default-1", 60, 60, "default chat group picture: three people on orange", groupPicture});
}

} // namespace zelvan::artgen
