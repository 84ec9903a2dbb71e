// gfx::Path: loose and tight bounds of curves, and hit-testing through a transform with both fill rules.
#include <gtest/gtest.h>

#include "platform/graphics/path.h"

namespace gfx {
namespace {

TEST(PathTest, BoundsAndHitTesting) {
    Path curve;
    EXPECT_TRUE(curve.boundingBox().isNull());
    curve.moveToPoint({0, 0});
    curve.addCurveToPoint({0, 10}, {10, 10}, {10, 0}); // peaks at y = 7.5
    EXPECT_EQ(curve.boundingBox(), Rect(0, 0, 10, 10));
    Rect tight = curve.tightBoundingBox();
    EXPECT_DOUBLE_EQ(tight.maxY(), 7.5);
    EXPECT_DOUBLE_EQ(tight.width(), 10);
    curve.addQuadCurveToPoint({NAN, 0}, {1, 1}); // ignored
    EXPECT_EQ(curve.elements().size(), 2u);

    // Two squares in the same direction, one inside the other: the inner one is inside by non-zero
    // winding and outside by even-odd.
    Path nested;
    nested.addRect(Rect(0, 0, 10, 10));
    nested.addRect(Rect(3, 3, 4, 4));
    auto id = AffineTransform::identity();
    EXPECT_TRUE(nested.containsPoint({5, 5}, id, EvenOdd::No));
    EXPECT_FALSE(nested.containsPoint({5, 5}, id, EvenOdd::Yes));
    EXPECT_TRUE(nested.containsPoint({1, 1}, id, EvenOdd::Yes));
    EXPECT_FALSE(nested.containsPoint({11, 5}, id, EvenOdd::No));

    // The transform moves the path before the test; an ellipse excludes its box's corners.
    auto moved = AffineTransform::makeTranslation(100, 0);
    EXPECT_TRUE(nested.containsPoint({101, 1}, moved, EvenOdd::No));
    EXPECT_FALSE(nested.containsPoint({1, 1}, moved, EvenOdd::No));
    Path ellipse;
    ellipse.addEllipseInRect(Rect(0, 0, 10, 10));
    EXPECT_TRUE(ellipse.containsPoint({5, 9.5}, id, EvenOdd::No));
    EXPECT_FALSE(ellipse.containsPoint({0.5, 0.5}, id, EvenOdd::No));
}

} // namespace
} // namespace gfx
