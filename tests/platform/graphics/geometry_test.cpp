// Geometry: rectangle algebra and affine transforms as layouts and drawing code use them.
#include <gtest/gtest.h>

#include <numbers>

#include "platform/graphics/geometry.h"

namespace gfx {
namespace {

TEST(GeometryTest, RectAlgebra) {
    Rect r(10, 20, 30, 40);
    EXPECT_EQ(r.maxX(), 40);
    EXPECT_EQ(r.midY(), 40);
    EXPECT_TRUE(r.containsPoint({10, 20}));
    EXPECT_FALSE(r.containsPoint({40, 20})); // half-open
    EXPECT_FALSE(r.containsPoint({10, 60}));

    EXPECT_EQ(Rect(10, 60, 30, -40).standardized(), r);
    EXPECT_EQ(r.intersection(Rect(30, 50, 100, 100)), Rect(30, 50, 10, 10));
    EXPECT_TRUE(r.intersection(Rect(100, 100, 5, 5)).isNull());
    EXPECT_FALSE(r.intersects(Rect(100, 100, 5, 5)));
    EXPECT_EQ(r.unionRect(Rect(0, 0, 5, 5)), Rect(0, 0, 40, 60));
    EXPECT_EQ(r.unionRect(Rect::null()), r);
    EXPECT_EQ(r.insetBy(5, 10), Rect(15, 30, 20, 20));
    EXPECT_TRUE(r.insetBy(20, 0).isNull()); // inset past the middle
    EXPECT_EQ(r.insetBy(EdgeInsets{1, 2, 3, 4}), Rect(12, 21, 24, 36));
    EXPECT_EQ(Rect(0.5, 1.2, 10.1, 3.3).integral(), Rect(0, 1, 11, 4));
    EXPECT_EQ(ceilRect(Rect(0.5, 1.2, 10.1, 3.0)), Rect(1, 2, 11, 3));
    EXPECT_TRUE(Rect(0, 0, 0, 5).isEmpty());
}

TEST(GeometryTest, AffineTransformsComposeInDrawingOrder) {
    // Flip a 480-high space: y' = 480 - y.
    auto flip = AffineTransform::identity().translate(0, 480).scale(1, -1);
    EXPECT_EQ(flip.applyToPoint({3, 0}), (Point{3, 480}));
    EXPECT_EQ(flip.applyToPoint({3, 480}), (Point{3, 0}));
    EXPECT_EQ(flip.applyToRect(Rect(0, 0, 10, 20)), Rect(0, 460, 10, 20));

    auto t = AffineTransform::makeTranslation(5, 7).concat(AffineTransform::makeScale(2, 3));
    EXPECT_EQ(t.applyToPoint({1, 1}), (Point{12, 24}));
    auto back = t.invert().applyToPoint({12, 24});
    EXPECT_DOUBLE_EQ(back.x, 1);
    EXPECT_DOUBLE_EQ(back.y, 1);

    auto singular = AffineTransform::makeScale(0, 1);
    EXPECT_EQ(singular.invert(), singular);

    auto rot = AffineTransform::makeRotation(std::numbers::pi / 2).applyToPoint({1, 0});
    EXPECT_NEAR(rot.x, 0, 1e-12);
    EXPECT_NEAR(rot.y, 1, 1e-12);
}

} // namespace
} // namespace gfx
