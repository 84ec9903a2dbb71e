// Bitmap contexts: the four memory layouts, caller-owned buffers, the y-up user space, snapshots as
// images and the refusal of invalid sizes.
#include <gtest/gtest.h>

#include <vector>

#include "drawing_test_support.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/image.h"

namespace gfx {
namespace {

using namespace gfx::testing;

// Fills the top memory row's first pixel (user y is up: row 0 is y = H - 1 ... H) with half-transparent
// red and the second with opaque green.
void paint(BitmapContext& c) {
    c.setRGBFillColor(1, 0, 0, 0.5);
    c.fillRect(Rect(0, c.height() - 1, 1, 1));
    c.setFillColor(Color::green());
    c.fillRect(Rect(1, c.height() - 1, 1, 1));
}

TEST(BitmapContextTest, MemoryLayouts) {
    struct Case {
        PixelFormat format;
        size_t bytesPerPixel;
        std::vector<uint8_t> red;   // premultiplied half-transparent red
        std::vector<uint8_t> green; // opaque green
    };
    const Case cases[] = {
        {PixelFormat::Bgra8PremulFirstLE, 4, {0, 0, 128, 128}, {0, 255, 0, 255}},
        {PixelFormat::Argb8PremulFirst, 4, {128, 128, 0, 0}, {255, 0, 255, 0}},
        {PixelFormat::Rgba8PremulLast, 4, {128, 0, 0, 128}, {0, 255, 0, 255}},
        // Grey of the colour over black: 0.299 * 128 and 0.587 * 255.
        {PixelFormat::Gray8, 1, {38}, {150}},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(int(tc.format));
        auto c = BitmapContext::create(3, 2, tc.format);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->bytesPerRow(), 3 * tc.bytesPerPixel);
        paint(*c);
        const uint8_t* data = c->data();
        for (size_t i = 0; i < tc.bytesPerPixel; ++i) {
            EXPECT_NEAR(data[i], tc.red[i], 1) << "byte " << i;
            EXPECT_NEAR(data[tc.bytesPerPixel + i], tc.green[i], 1) << "byte " << i;
        }
        // The second memory row (user y 0 ... 1) is untouched: zero, or black for grey.
        for (size_t i = 0; i < 3 * tc.bytesPerPixel; ++i) {
            EXPECT_EQ(data[c->bytesPerRow() + i], 0);
        }
    }

    // Grey contexts read back and snapshot as opaque grey.
    auto gray = BitmapContext::create(2, 1, PixelFormat::Gray8);
    gray->setFillColor(Color::white(0.5, 1));
    gray->fillRect(Rect(0, 0, 1, 1));
    EXPECT_TRUE(near(gray->pixelAt(0, 0), Rgba8{128, 128, 128, 255}, 1));
    auto image = gray->makeImage();
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(near(image->pixelAt(0, 0), Rgba8{128, 128, 128, 255}, 1));
    EXPECT_EQ(image->pixelAt(1, 0), kBlack);
}

TEST(BitmapContextTest, WrappedBuffers) {
    // A native buffer with padded rows is drawn into directly; padding bytes are never touched.
    const size_t bpr = 3 * 4 + 8;
    std::vector<uint8_t> native(bpr * 2, 0xEE);
    for (size_t row = 0; row < 2; ++row) {
        std::fill_n(native.begin() + long(row * bpr), 12, 0);
    }
    {
        auto c = BitmapContext::wrap(native.data(), 3, 2, bpr, PixelFormat::Bgra8PremulFirstLE);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->data(), native.data());
        c->setFillColor(Color::blue());
        c->fillRect(Rect(0, 0, 3, 1)); // user y 0 ... 1 is the bottom memory row
        c->flush();
        EXPECT_EQ(native[bpr + 0], 255);
        EXPECT_EQ(native[bpr + 3], 255);
        EXPECT_EQ(native[0], 0);
    }
    EXPECT_EQ(native[12], 0xEE);
    EXPECT_EQ(native[bpr + 12], 0xEE);

    // A converting layout reads what the buffer held when wrapped and writes back on flush.
    std::vector<uint8_t> rgba = {10, 20, 30, 255, 0, 0, 0, 0};
    auto c = BitmapContext::wrap(rgba.data(), 2, 1, 8, PixelFormat::Rgba8PremulLast);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->pixelAt(0, 0), (Rgba8{10, 20, 30, 255}));
    c->setFillColor(Color::red());
    c->fillRect(Rect(1, 0, 1, 1));
    EXPECT_EQ(rgba[4], 0); // not yet flushed
    c->flush();
    EXPECT_EQ(std::vector<uint8_t>(rgba.begin(), rgba.end()), (std::vector<uint8_t>{10, 20, 30, 255, 255, 0, 0, 255}));

    // Refusals.
    uint8_t byte = 0;
    EXPECT_EQ(BitmapContext::wrap(nullptr, 2, 2, 8, PixelFormat::Bgra8PremulFirstLE), nullptr);
    EXPECT_EQ(BitmapContext::wrap(&byte, 2, 2, 7, PixelFormat::Bgra8PremulFirstLE), nullptr);
    EXPECT_EQ(BitmapContext::create(0, 5, PixelFormat::Gray8), nullptr);
    EXPECT_EQ(BitmapContext::create(-3, 5, PixelFormat::Rgba8PremulLast), nullptr);
    EXPECT_EQ(BitmapContext::create(100000, 100000, PixelFormat::Bgra8PremulFirstLE), nullptr);
    EXPECT_EQ(BitmapContext::create(2, 2, static_cast<PixelFormat>(9)), nullptr);
}

TEST(BitmapContextTest, SnapshotsKeepMemoryOrder) {
    auto c = BitmapContext::create(2, 3, PixelFormat::Argb8PremulFirst);
    ASSERT_NE(c, nullptr);
    c->setFillColor(Color::red());
    c->fillRect(Rect(0, 2, 2, 1)); // top memory row
    c->setFillColor(Color::blue());
    c->fillRect(Rect(0, 0, 2, 1)); // bottom memory row
    auto image = c->makeImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width(), 2);
    EXPECT_EQ(image->height(), 3);
    EXPECT_EQ(image->pixelAt(1, 0), kRed);
    EXPECT_EQ(image->pixelAt(1, 1), kClear);
    EXPECT_EQ(image->pixelAt(1, 2), kBlue);
    EXPECT_EQ(c->pixelAt(5, 0), kClear); // outside
}

} // namespace
} // namespace gfx
