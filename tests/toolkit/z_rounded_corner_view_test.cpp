// The rounded panel's pixels: the fill inside, clear corners, and the shape pulled in with its
// shadow falling right and down when the shadow is on.
#include <gtest/gtest.h>

#include "platform/ui/snapshot.h"
#include "toolkit/z_rounded_corner_view.h"

namespace zelvan {
namespace {

TEST(ZRoundedCornerViewTest, FillCornersAndShadow) {
    auto view = ui::View::create<ZRoundedCornerView>(gfx::Rect(0, 0, 60, 40));
    view->setFillColor(gfx::Color(0, 0, 1, 1));
    view->setRadius(10);
    auto image = ui::Snapshot::captureView(*view);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelAt(30, 20), (gfx::Rgba8{0, 0, 255, 255}));
    EXPECT_EQ(image->pixelAt(30, 0).a, 255) << "straight edges reach the bounds";
    EXPECT_EQ(image->pixelAt(0, 0).a, 0) << "rounded corner";
    EXPECT_EQ(image->pixelAt(59, 39).a, 0);

    view->setRadius(-4); // no rounding
    image = ui::Snapshot::captureView(*view);
    EXPECT_EQ(image->pixelAt(0, 0).a, 255);

    view->setShadow(true);
    view->setShadowBlur(2);
    view->setShadowOffset({3, -3});
    EXPECT_EQ(view->shapeRect(), gfx::Rect(5, 5, 50, 30));
    image = ui::Snapshot::captureView(*view);
    EXPECT_EQ(image->pixelAt(2, 2).a, 0) << "outside the shape and its shadow";
    EXPECT_EQ(image->pixelAt(30, 20), (gfx::Rgba8{0, 0, 255, 255}));
    const auto shadow = image->pixelAt(56, 37);
    EXPECT_GT(shadow.a, 40) << "the shadow falls right and down";
    EXPECT_LT(shadow.b, 60);
}

} // namespace
} // namespace zelvan
