// The offer wall's apps tab and currency store pictures: the app placeholders and page background, the
// price button, the dark sub-tab overlays, and the store's background and buttons. (The page's "Open in
// iTunes" button shares the offer details page's button pictures.)
#include "tools/artgen/art_table.h"

namespace zelvan::artgen {
namespace {

using gfx::Point;
using gfx::Rect;

// A fade across the picture, from `colour` opaque at one side to clear at the other.
void sideFade(Painter& p, bool opaqueLeft, unsigned colour) {
    const int width = static_cast<int>(p.width());
    for (int x = 0; x < width; ++x) {
        const double alpha = 0.9 * (opaqueLeft ? width - x : x + 1) / width;
        p.fillRect(Rect(x, 0, 1, p.height()), rgb(colour, alpha));
    }
}

// A rounded grey square with the outline of a phone app.
void appPlaceholder(Painter& p) {
    p.gradientRoundRect(Rect(0, 0, 57, 57), 10, rgb(0xd9dbe0), rgb(0xa9adb5));
    p.strokeRoundRect(Rect(19, 12, 19, 33), 3, 2, rgb(0xf5f6f8));
    p.fillCircle(Point{28.5, 40}, 1.8, rgb(0xf5f6f8));
}

// A dark frame with a mountain and a sun: a screenshot still to come.
void screenshotPlaceholder(Painter& p) {
    p.fillRect(Rect(0, 0, 280, 460), rgb(0x3c3f45));
    p.strokeRoundRect(Rect(90, 180, 100, 80), 6, 3, rgb(0x8a8f99));
    p.fillPolygon({Point{100, 250}, Point{130, 212}, Point{150, 236}, Point{162, 222}, Point{180, 250}}, rgb(0x8a8f99));
    p.fillCircle(Point{165, 198}, 7, rgb(0x8a8f99));
}

// A tile of soft diagonal stripes for the store's page.
void inAppBackground(Painter& p) {
    p.fillRect(Rect(0, 0, 40, 40), rgb(0xdfe5ee));
    for (int i = -40; i < 40; i += 10) {
        p.strokeLine({Point{static_cast<double>(i), 40}, Point{i + 40.0, 0}}, 3, rgb(0xd3dbe6));
    }
}

} // namespace

void addBrightpointAppsArt(std::vector<ArtEntry>& t) {
    t.push_back({"BPAppPlaceholder.png", 57, 57, "offer wall app icon placeholder: grey rounded square with a phone",
                 appPlaceholder});
    t.push_back({"BPAppBackground.png", 320, 480, "offer wall app page: cool light grey gradient",
                 [](Painter& p) { p.gradientRect(Rect(0, 0, 320, 480), rgb(0xeef0f3), rgb(0xc4c8cf)); }});
    t.push_back({"BPPriceButton.png", 71, 26, "offer wall app price tag: blue pill",
                 [](Painter& p) { p.gradientRoundRect(Rect(0, 0, 71, 26), 12, rgb(0x5d9ae8), rgb(0x2b63b8)); }});
    t.push_back({"BPScreenshotPlaceholder.png", 280, 460, "offer wall app screenshot placeholder: dark frame",
                 screenshotPlaceholder});
    t.push_back({"BPScrollLeftOverlayDarkGray.png", 30, 40, "offer wall apps sub-tabs: dark grey fade, left edge",
                 [](Painter& p) { sideFade(p, true, 0x55575c); }});
    t.push_back({"BPScrollRightOverlayDarkGray.png", 30, 40, "offer wall apps sub-tabs: dark grey fade, right edge",
                 [](Painter& p) { sideFade(p, false, 0x55575c); }});
    t.push_back(
        {"BPInAppBackground.png", 40, 40, "offer wall currency store: pale blue striped tile", inAppBackground});
    t.push_back(
        {"BPInAppButtonNormal.png", 40, 50, "offer wall currency store button: white rounded gradient", [](Painter& p) {
             p.gradientRoundRect(Rect(0, 0, 40, 50), 12, rgb(0xffffff), rgb(0xdde3ec));
             p.strokeRoundRect(Rect(0, 0, 40, 50), 12, 1.5, rgb(0x9aa7ba));
         }});
    t.push_back({"BPInAppButtonPressed.png", 40, 50, "offer wall currency store button (pressed): blue",
                 [](Painter& p) { p.gradientRoundRect(Rect(0, 0, 40, 50), 12, rgb(0x4f86d9), rgb(0x2c5896)); }});
}

} // namespace zelvan::artgen
