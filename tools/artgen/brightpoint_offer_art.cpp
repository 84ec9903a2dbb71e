// The offer lists' and offer details page's pictures: the selected sub-tab, the strip's fading edges,
// the offer icon placeholder, the details page's background and its button faces.
#include "tools/artgen/art_table.h"

namespace zelvan::artgen {
namespace {

using gfx::Point;
using gfx::Rect;

// The strip's light grey (238) fading out towards the middle of the strip, 1 px columns.
void fadingEdge(Painter& p, bool fromLeft) {
    const int width = static_cast<int>(p.width());
    for (int x = 0; x < width; ++x) {
        const double opaque = 1.0 - (x + 0.5) / width;
        p.fillRect(Rect(fromLeft ? x : width - 1 - x, 0, 1, p.height()), rgb(0xeeeeee, opaque));
    }
}

// A grey rounded tile with a light gift box: an icon still on its way.
void offerPlaceholder(Painter& p) {
    p.gradientRoundRect(Rect(0, 0, 100, 100), 14, rgb(0xe3e6ea), rgb(0xc4c9d0));
    p.fillRect(Rect(26, 40, 48, 12), rgb(0xf7f8fa));
    p.fillRect(Rect(30, 53, 40, 28), rgb(0xf7f8fa));
    p.fillRect(Rect(47, 40, 6, 41), rgb(0xaab1bb));
    p.strokeCircle(Point{41, 32}, 7, 3, rgb(0xf7f8fa));
    p.strokeCircle(Point{59, 32}, 7, 3, rgb(0xf7f8fa));
}

// A rounded button face with a 1 px rim, stretched between 12 px caps.
void buttonFace(Painter& p, unsigned rim, unsigned top, unsigned bottom) {
    p.fillRoundRect(Rect(0, 0, 40, 43), 9, rgb(rim));
    p.gradientRoundRect(Rect(1, 1, 38, 41), 8, rgb(top), rgb(bottom));
}

} // namespace

void addBrightpointOfferArt(std::vector<ArtEntry>& t) {
    t.push_back({"BPTabButton.png", 30, 30, "offer sub-tab strip: selected tab, dark slate pill",
                 [](Painter& p) { p.gradientRoundRect(Rect(0, 0, 30, 30), 9, rgb(0x7a8799), rgb(0x3b4656)); }});
    t.push_back({"BPScrollLeftOverlayLightGray.png", 30, 40, "offer sub-tab strip: left edge fading to clear",
                 [](Painter& p) { fadingEdge(p, true); }});
    t.push_back({"BPScrollRightOverlayLightGray.png", 30, 40, "offer sub-tab strip: right edge fading to clear",
                 [](Painter& p) { fadingEdge(p, false); }});
    t.push_back(
        {"BPOfferPlaceholder.png", 100, 100, "offer icon placeholder: grey tile with a gift box", offerPlaceholder});
    t.push_back({"BPOfferBackground.png", 320, 416, "offer details page: pale blue-grey gradient",
                 [](Painter& p) { p.gradientRect(Rect(0, 0, 320, 416), rgb(0xf7f9fc), rgb(0xdfe5ee)); }});
    t.push_back({"BPButtonNormal.png", 40, 43, "offer details button: white rounded face, grey rim",
                 [](Painter& p) { buttonFace(p, 0x9aa3ae, 0xffffff, 0xe4e8ed); }});
    t.push_back({"BPButtonPressed.png", 40, 43, "offer details button (pressed): blue-grey face",
                 [](Painter& p) { buttonFace(p, 0x6b7787, 0xc9d3e0, 0xa9b7c9); }});
}

} // namespace zelvan::artgen
