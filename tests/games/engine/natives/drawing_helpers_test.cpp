// The engine's drawing helpers: anchored text lands in the rectangle its keypad anchor gives, with
// the default font and unlimited sizes as a caller sees them, and bitmap contexts for game buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "games/engine/natives/drawing_helpers.h"
#include "platform/graphics/backends.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/image.h"
#include "platform/graphics/text_metrics.h"

namespace zelvan {
namespace {

constexpr int kSide = 200;

std::shared_ptr<gfx::BitmapContext> blackInk() {
    std::shared_ptr<gfx::BitmapContext> context = MyCreateBitmapContext(kSide, kSide);
    context->setRGBFillColor(0, 0, 0, 1);
    return context;
}

bool samePixels(gfx::BitmapContext& a, gfx::BitmapContext& b) {
    return std::memcmp(a.data(), b.data(), a.bytesPerRow() * static_cast<size_t>(a.height())) == 0;
}

// Bounds of the drawn pixels in user space (y up): the smallest rectangle that holds them all.
struct UserInk {
    int minX = kSide, minY = kSide, maxX = -1, maxY = -1; // maxX/maxY exclusive
    bool any() const { return maxX >= 0; }
};

UserInk inkOf(gfx::BitmapContext& context) {
    UserInk ink;
    for (int row = 0; row < context.height(); ++row) {
        for (int x = 0; x < context.width(); ++x) {
            if (context.pixelAt(x, row).a == 0) {
                continue;
            }
            const int userY = context.height() - 1 - row; // memory row 0 covers user y H-1...H
            ink.minX = std::min(ink.minX, x);
            ink.maxX = std::max(ink.maxX, x + 1);
            ink.minY = std::min(ink.minY, userY);
            ink.maxY = std::max(ink.maxY, userY + 1);
        }
    }
    return ink;
}

class DrawingHelpersTest : public ::testing::Test {
protected:
    // Exact sizes: bold advances are 0.6 x size per character and lines ceil(1.2 x size) high.
    void SetUp() override { gfx::installTextMetrics(std::make_shared<gfx::SyntheticMetrics>()); }
    void TearDown() override { gfx::installTextMetrics(nullptr); }
};

TEST_F(DrawingHelpersTest, AnchorsPlaceTheMeasuredRectangle) {
    // Narrow letters, so the ink stays within the synthetic advances. "llll" in bold 16.5 measures 39.6 -> 40 by 19.8
    // -> 20; in bold 17, 40.8 -> 41 by 20.4 -> 21.
    auto font40x20 = gfx::Font::withName("Helvetica-Bold", 16.5);
    auto font41x21 = gfx::Font::withName("Helvetica-Bold", 17);
    ASSERT_EQ(gfx::sizeWithFont("llll", font40x20), (gfx::Size{40, 20}));
    ASSERT_EQ(gfx::sizeWithFont("llll", font41x21), (gfx::Size{41, 21}));
    struct Case {
        std::shared_ptr<gfx::Font> font;
        int anchor;
        int x, y;
        int expectedX, expectedY; // the rectangle's origin: where anchor 7 would draw the same text
    };
    const Case cases[] = {
        {font40x20, 5, 100, 100, 80, 90},
        {font41x21, 3, 100, 100, 59, 79},
        {font41x21, 5, 100, 100, 79, 89},
        {font40x20, 7, 100, 100, 100, 100},
        {font40x20, 8, 100, 100, 80, 100},
        {font40x20, 9, 100, 100, 60, 100},
        {font40x20, 4, 100, 100, 100, 90},
        {font40x20, 6, 100, 100, 60, 90},
        {font40x20, 1, 100, 100, 100, 80},
        {font40x20, 2, 100, 100, 80, 80},
        {font40x20, 0, 100, 100, 100, 100},
        {font40x20, 12, 100, 100, 100, 100},
        {font40x20, -5, 100, 100, 100, 100},
        // Truncation goes toward zero: 10 - 20.5 = -10.5 -> -10.
        {font41x21, 9, 10, 30, -31, 30},
        {font41x21, 8, 10, 30, -10, 30},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE("anchor " + std::to_string(tc.anchor) + " at " + std::to_string(tc.x));
        auto anchored = blackInk();
        CGContextDrawText(anchored, "llll", tc.font, tc.x, tc.y, tc.anchor, -1, -1, gfx::LineBreakMode::WordWrap);
        auto reference = blackInk();
        CGContextDrawText(reference, "llll", tc.font, tc.expectedX, tc.expectedY, 7, -1, -1,
                          gfx::LineBreakMode::WordWrap);
        EXPECT_TRUE(samePixels(*anchored, *reference));

        // Text into a y-up bitmap context lies inside the rectangle (upside down, as the platform draws it).
        UserInk ink = inkOf(*anchored);
        ASSERT_TRUE(ink.any());
        gfx::Size size = gfx::sizeWithFont("llll", tc.font);
        EXPECT_GE(ink.minX, std::max(tc.expectedX, 0));
        EXPECT_LE(ink.maxX, tc.expectedX + static_cast<int>(size.width));
        EXPECT_GE(ink.minY, tc.expectedY);
        EXPECT_LE(ink.maxY, tc.expectedY + static_cast<int>(size.height));
    }
}

TEST_F(DrawingHelpersTest, DefaultFontAndLimits) {
    // No font: bold 14.
    auto implicit = blackInk();
    CGContextDrawText(implicit, "Hi there", nullptr, 20, 20, 7, -1, -1, gfx::LineBreakMode::WordWrap);
    auto explicitBold = blackInk();
    CGContextDrawText(explicitBold, "Hi there", gfx::Font::withName("Helvetica-Bold", 14), 20, 20, 7, -1, -1,
                      gfx::LineBreakMode::WordWrap);
    auto regular = blackInk();
    CGContextDrawText(regular, "Hi there", gfx::Font::withName("Helvetica", 14), 20, 20, 7, -1, -1,
                      gfx::LineBreakMode::WordWrap);
    EXPECT_TRUE(samePixels(*implicit, *explicitBold));
    EXPECT_FALSE(samePixels(*implicit, *regular));

    // -1 means unlimited: one line, anchored by its full width, as if the limit were huge; a real
    // width limit wraps the words onto more lines.
    const std::string text = "wide words wrap here";
    auto unlimited = blackInk();
    CGContextDrawText(unlimited, text, nullptr, 190, 10, 9, -1, -1, gfx::LineBreakMode::WordWrap);
    auto huge = blackInk();
    CGContextDrawText(huge, text, nullptr, 190, 10, 9, 1000000, 1000000, gfx::LineBreakMode::WordWrap);
    EXPECT_TRUE(samePixels(*unlimited, *huge));
    UserInk oneLine = inkOf(*unlimited);
    EXPECT_LE(oneLine.maxY - oneLine.minY, 17); // one line of bold 14 is 17 high

    auto narrow = blackInk();
    CGContextDrawText(narrow, text, nullptr, 190, 10, 9, 50, -1, gfx::LineBreakMode::WordWrap);
    UserInk wrapped = inkOf(*narrow);
    EXPECT_GT(wrapped.maxY - wrapped.minY, 3 * 17);
    EXPECT_LE(wrapped.maxX, 190);

    // A height limit keeps only the lines that fit: the same narrow text limited to one line.
    auto oneLineHigh = blackInk();
    CGContextDrawText(oneLineHigh, text, nullptr, 190, 10, 9, 50, 17, gfx::LineBreakMode::WordWrap);
    UserInk clipped = inkOf(*oneLineHigh);
    EXPECT_LE(clipped.maxY - clipped.minY, 17);

    // A null context draws nothing and does not fail.
    CGContextDrawText(nullptr, text, nullptr, 0, 0, 5, -1, -1, gfx::LineBreakMode::WordWrap);
}

TEST(MyCreateBitmapContextTest, BuffersAndRefusedSizes) {
    std::shared_ptr<gfx::BitmapContext> context = MyCreateBitmapContext(3, 2);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->format(), gfx::PixelFormat::Bgra8PremulFirstLE);
    EXPECT_EQ(context->bytesPerRow(), 12u);
    EXPECT_EQ(context->width(), 3);
    EXPECT_EQ(context->height(), 2);
    for (size_t i = 0; i < 24; ++i) {
        ASSERT_EQ(context->data()[i], 0) << "byte " << i;
    }
    // y up: user (0, 0) is the first pixel of the last memory row, stored B, G, R, A.
    context->setRGBFillColor(1, 0, 0, 1);
    context->fillRect(gfx::Rect(0, 0, 1, 1));
    const uint8_t* lastRow = context->data() + 12;
    EXPECT_EQ(lastRow[0], 0);
    EXPECT_EQ(lastRow[2], 255);
    EXPECT_EQ(lastRow[3], 255);
    EXPECT_EQ(context->data()[3], 0);

    EXPECT_NE(MyCreateBitmapContext(static_cast<int>(gfx::kMaxImageSide), 1), nullptr);
    const int refused[][2] = {{0, 5},
                              {5, 0},
                              {-1, 5},
                              {5, -3},
                              {static_cast<int>(gfx::kMaxImageSide) + 1, 1},
                              {1, static_cast<int>(gfx::kMaxImageSide) + 1},
                              {static_cast<int>(gfx::kMaxImageSide), 2049}, // beyond the pixel cap
                              {2147483647, 2147483647}};
    for (const auto& size : refused) {
        EXPECT_EQ(MyCreateBitmapContext(size[0], size[1]), nullptr) << size[0] << "x" << size[1];
    }
}

} // namespace
} // namespace zelvan
