// The per-thread graphics stack and image contexts.
#include <gtest/gtest.h>

#include <thread>

#include "drawing_test_support.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/graphics_stack.h"

namespace gfx {
namespace {

using namespace gfx::testing;

TEST(GraphicsStackTest, PushPopAndImageContexts) {
    EXPECT_EQ(getCurrentContext(), nullptr);
    popContext(); // harmless when empty

    auto a = Context::createView(2, 2);
    auto b = BitmapContext::create(2, 2, PixelFormat::Gray8);
    pushContext(a);
    pushContext(b);
    EXPECT_EQ(getCurrentContext(), b);

    // Another thread has its own, empty stack.
    std::shared_ptr<Context> seenElsewhere = a;
    std::thread([&] { seenElsewhere = getCurrentContext(); }).join();
    EXPECT_EQ(seenElsewhere, nullptr);

    // Only an image context yields an image or ends.
    fnd::testing::LogCapture log;
    EXPECT_EQ(imageFromCurrentImageContext(), nullptr);
    endImageContext();
    EXPECT_TRUE(log.contains("endImageContext"));
    EXPECT_EQ(getCurrentContext(), b);

    // Image contexts are y-down, transparent, and sized up to whole pixels.
    beginImageContext(Size{2.5, 3});
    auto image = getCurrentContext();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width(), 3);
    EXPECT_EQ(image->height(), 3);
    image->setFillColor(Color::red());
    image->fillRect(Rect(0, 0, 1, 1));
    auto drawn = imageFromCurrentImageContext();
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(drawn->pixelAt(0, 0), kRed);
    EXPECT_EQ(drawn->pixelAt(0, 2), kClear);
    endImageContext();
    EXPECT_EQ(getCurrentContext(), b);

    beginImageContext(Size{0, 10}); // refused: nothing pushed
    EXPECT_EQ(getCurrentContext(), b);

    popContext();
    EXPECT_EQ(getCurrentContext(), a);
    popContext();
    EXPECT_EQ(getCurrentContext(), nullptr);
}

} // namespace
} // namespace gfx
