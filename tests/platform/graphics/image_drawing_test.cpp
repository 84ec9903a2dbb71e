// Image::drawInRect and drawAtPoint: y-down placement into the current context, upright in view and
// image contexts and upside down in y-up bitmap contexts.
#include <gtest/gtest.h>

#include "drawing_test_support.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/graphics_stack.h"

namespace gfx {
namespace {

using namespace gfx::testing;

TEST(ImageDrawingTest, DrawInRectAssumesYDown) {
    auto image = fourCornerImage();
    ASSERT_NE(image, nullptr);

    // Image context: upright.
    beginImageContext(Size{2, 2});
    image->drawInRect(Rect(0, 0, 2, 2));
    auto drawn = imageFromCurrentImageContext();
    endImageContext();
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(drawn->pixelAt(0, 0), kRed);
    EXPECT_EQ(drawn->pixelAt(1, 0), kGreen);
    EXPECT_EQ(drawn->pixelAt(0, 1), kBlue);
    EXPECT_EQ(drawn->pixelAt(1, 1), kWhite);

    // Bitmap context pushed as current: upside down in memory, not mirrored sideways.
    auto bitmap = BitmapContext::create(2, 2, PixelFormat::Bgra8PremulFirstLE);
    pushContext(bitmap);
    image->drawInRect(Rect(0, 0, 2, 2));
    popContext();
    EXPECT_EQ(bitmap->pixelAt(0, 0), kBlue);
    EXPECT_EQ(bitmap->pixelAt(1, 0), kWhite);
    EXPECT_EQ(bitmap->pixelAt(0, 1), kRed);
    EXPECT_EQ(bitmap->pixelAt(1, 1), kGreen);

    // drawAtPoint uses the image's size; a negative-height rect is standardized first.
    auto view = Context::createView(4, 4);
    pushContext(view);
    image->drawAtPoint(Point{1, 1});
    image->drawInRect(Rect(2, 2, 2, -2)); // the rect (2, 0, 2, 2)
    popContext();
    EXPECT_EQ(view->pixelAt(1, 1), kRed);
    EXPECT_EQ(view->pixelAt(2, 2), kWhite);
    EXPECT_EQ(view->pixelAt(0, 0), kClear);
    EXPECT_EQ(view->pixelAt(2, 0), kRed);
    EXPECT_EQ(view->pixelAt(3, 1), kWhite);

    // Scaled with the context's interpolation, and the state is left as it was.
    auto scaled = Context::createView(4, 4);
    scaled->setInterpolationQuality(InterpolationQuality::None);
    pushContext(scaled);
    image->drawInRect(Rect(0, 0, 4, 4));
    popContext();
    EXPECT_EQ(scaled->pixelAt(1, 1), kRed);
    EXPECT_EQ(scaled->pixelAt(3, 0), kGreen);
    EXPECT_EQ(scaled->pixelAt(0, 3), kBlue);
    EXPECT_EQ(scaled->getCTM(), (AffineTransform{1, 0, 0, -1, 0, 4}));

    // With no current context nothing is drawn anywhere.
    ASSERT_EQ(getCurrentContext(), nullptr);
    image->drawInRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(getCurrentContext(), nullptr);
}

TEST(ImageDrawingTest, DrawAtPointTurnsRotatedPhotosUpright) {
    // Stored as one row red, green; the Right orientation says "turn 90 degrees to view".
    fnd::Bytes px = {0, 0, 255, 255, 0, 255, 0, 255};
    auto image = Image::fromPixels(2, 1, std::move(px), ImageOrientation::Right);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->size(), (Size{1, 2}));
    auto upright = image->uprightCopy();
    ASSERT_EQ(upright->width(), 1);
    ASSERT_EQ(upright->height(), 2);
    EXPECT_NE(upright->pixelAt(0, 0), upright->pixelAt(0, 1));

    auto view = Context::createView(1, 2);
    pushContext(view);
    image->drawAtPoint(Point{0, 0});
    popContext();
    // Drawn exactly as the upright pixels, not squeezed from the stored 2x1 bitmap.
    EXPECT_EQ(view->pixelAt(0, 0), upright->pixelAt(0, 0));
    EXPECT_EQ(view->pixelAt(0, 1), upright->pixelAt(0, 1));
}

} // namespace
} // namespace gfx
