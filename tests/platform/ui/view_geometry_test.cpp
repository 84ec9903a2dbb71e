// View geometry: frame from centre, bounds and transform (and back), the bounds origin as a
// scroll offset, and coordinate conversion through transforms, between windows and to the screen.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

void expectPoint(gfx::Point p, double x, double y) {
    EXPECT_NEAR(p.x, x, 1e-9);
    EXPECT_NEAR(p.y, y, 1e-9);
}

void expectRect(gfx::Rect r, double x, double y, double w, double h) {
    EXPECT_NEAR(r.origin.x, x, 1e-9);
    EXPECT_NEAR(r.origin.y, y, 1e-9);
    EXPECT_NEAR(r.size.width, w, 1e-9);
    EXPECT_NEAR(r.size.height, h, 1e-9);
}

TEST(ViewGeometryTest, FrameBoundsCenterAndTransform) {
    auto v = View::create(gfx::Rect(10, 20, 100, 50));
    expectRect(v->bounds(), 0, 0, 100, 50);
    expectPoint(v->center(), 60, 45);

    v->setCenter(gfx::Point{100, 100});
    expectRect(v->frame(), 50, 75, 100, 50);

    // A scale about the centre: the frame is the bounding box, the bounds keep their size.
    v->setTransform(gfx::AffineTransform::makeScale(2, 2));
    expectRect(v->frame(), 0, 50, 200, 100);
    expectRect(v->bounds(), 0, 0, 100, 50);

    // Setting the frame of a transformed view goes through the inverse transform.
    v->setFrame(gfx::Rect(0, 0, 100, 60));
    expectRect(v->bounds(), 0, 0, 50, 30);
    expectPoint(v->center(), 50, 30);
    expectRect(v->frame(), 0, 0, 100, 60);

    // A quarter turn swaps the frame's sides.
    v->setTransform(gfx::AffineTransform::makeRotation(std::numbers::pi / 2));
    expectRect(v->frame(), 50 - 15, 30 - 25, 30, 50);

    // Negative sizes are standardized.
    auto n = View::create(gfx::Rect(10, 10, -4, -6));
    expectRect(n->frame(), 6, 4, 4, 6);
}

TEST(ViewGeometryTest, ConversionThroughTransformsAndScrolledBounds) {
    auto root = View::create(gfx::Rect(0, 0, 320, 480));
    auto a = View::create(gfx::Rect(100, 100, 100, 100));
    auto b = View::create(gfx::Rect(10, 10, 20, 20));
    root->addSubview(a);
    a->addSubview(b);
    expectPoint(b->convertPointToView(gfx::Point{0, 0}, root.get()), 110, 110);
    expectPoint(root->convertPointToView(gfx::Point{110, 110}, b.get()), 0, 0);
    expectPoint(b->convertPointFromView(gfx::Point{120, 125}, root.get()), 10, 15);

    // Scrolling a's bounds moves its content up and left.
    a->setBounds(gfx::Rect(0, 40, 100, 100));
    expectPoint(b->convertPointToView(gfx::Point{0, 0}, root.get()), 110, 70);

    // Scaling a by 2 about its centre (150, 150).
    a->setBounds(gfx::Rect(0, 0, 100, 100));
    a->setTransform(gfx::AffineTransform::makeScale(2, 2));
    expectPoint(a->convertPointToView(gfx::Point{0, 0}, root.get()), 50, 50);
    expectPoint(b->convertPointToView(gfx::Point{10, 10}, root.get()), 50 + 2 * 20, 50 + 2 * 20);
    expectRect(b->convertRectToView(gfx::Rect(0, 0, 20, 20), root.get()), 70, 70, 40, 40);
    expectRect(root->convertRectToView(gfx::Rect(70, 70, 40, 40), b.get()), 0, 0, 20, 20);
    // Round trip between siblings' descendants.
    auto c = View::create(gfx::Rect(300, 0, 10, 10));
    root->addSubview(c);
    gfx::Point p = b->convertPointToView(gfx::Point{3, 4}, c.get());
    expectPoint(c->convertPointToView(p, b.get()), 3, 4);
}

TEST(ViewGeometryTest, ConversionAcrossWindows) {
    auto w1 = View::create<Window>(gfx::Rect(0, 0, 320, 480));
    auto w2 = View::create<Window>(gfx::Rect(0, 100, 320, 200));
    auto a = View::create(gfx::Rect(10, 10, 50, 50));
    auto b = View::create(gfx::Rect(20, 30, 50, 50));
    w1->addSubview(a);
    w2->addSubview(b);
    // b's origin is at (20, 130) on the screen, (10, 120) in a.
    expectPoint(b->convertPointToView(gfx::Point{0, 0}, a.get()), 10, 120);
    expectPoint(a->convertPointFromView(gfx::Point{0, 0}, b.get()), 10, 120);
    // A null view means the window's own space.
    expectPoint(b->convertPointToView(gfx::Point{0, 0}, nullptr), 20, 30);
    expectPoint(b->convertPointFromView(gfx::Point{20, 30}, nullptr), 0, 0);
    // Converting to the other window itself.
    expectPoint(b->convertPointToView(gfx::Point{0, 0}, w1.get()), 20, 130);
}

} // namespace
} // namespace ui
