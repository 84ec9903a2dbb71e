// Text drawing: ink lands inside the measured box in the fill colour, lines align and stop at the
// lines that fit, and a y-up bitmap context shows the same text upside down.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/graphics/backends.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_drawing.h"

namespace gfx {
namespace {

struct Ink {
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1; // inclusive pixel bounds
    int pixels = 0;
    bool any() const { return pixels > 0; }
};

Ink inkOf(Context& ctx, uint8_t threshold = 1) {
    Ink ink;
    for (int y = 0; y < ctx.height(); ++y) {
        for (int x = 0; x < ctx.width(); ++x) {
            if (ctx.pixelAt(x, y).a >= threshold) {
                ink.minX = std::min(ink.minX, x);
                ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y);
                ink.maxY = std::max(ink.maxY, y);
                ++ink.pixels;
            }
        }
    }
    return ink;
}

// Rows (memory order) holding pixels at least half covered.
std::vector<bool> inkRows(Context& ctx) {
    std::vector<bool> rows(ctx.height());
    for (int y = 0; y < ctx.height(); ++y) {
        for (int x = 0; x < ctx.width(); ++x) {
            rows[y] = rows[y] || ctx.pixelAt(x, y).a >= 128;
        }
    }
    return rows;
}

class TextDrawingTest : public ::testing::Test {
protected:
    void SetUp() override { installTextMetrics(nullptr); }
    void TearDown() override {
        while (getCurrentContext()) {
            popContext();
        }
    }
};

TEST_F(TextDrawingTest, DrawsInsideTheMeasuredBoxInTheFillColour) {
    const auto ctx = Context::createView(200, 60);
    ctx->setFillColor(Color(1, 0, 0, 1));
    pushContext(ctx);
    const auto font = Font::systemFontOfSize(20);
    const Size size = drawAtPoint("Hello, Wörld", Point{10, 15}, font);
    EXPECT_EQ(size, sizeWithFont("Hello, Wörld", font));

    const Ink ink = inkOf(*ctx);
    ASSERT_TRUE(ink.any());
    EXPECT_GE(ink.minX, 10);
    EXPECT_GE(ink.minY, 15);
    EXPECT_LT(ink.maxX, 10 + size.width);
    EXPECT_LT(ink.maxY, 15 + size.height);
    // The cap height of 'H' reaches well above the baseline (15 + 18.56), the comma below it.
    EXPECT_LT(ink.minY, 22);
    EXPECT_GT(ink.maxY, 34);
    for (int y = 0; y < ctx->height(); ++y) {
        for (int x = 0; x < ctx->width(); ++x) {
            const Rgba8 p = ctx->pixelAt(x, y);
            if (p.a == 255) {
                ASSERT_EQ(p, (Rgba8{255, 0, 0, 255})) << x << "," << y;
            }
        }
    }

    // Nothing to draw into: the size is still measured.
    popContext();
    EXPECT_EQ(drawAtPoint("Hello", Point{0, 0}, font), sizeWithFont("Hello", font));
}

TEST_F(TextDrawingTest, DrawsTheLayoutAlignedAndOnlyTheLinesThatFit) {
    const auto font = Font::systemFontOfSize(14); // lines of 17
    const char* text = "one two three four five six";
    const Rect box{20, 10, 80, 40}; // two lines fit
    std::vector<Ink> inks;
    for (TextAlignment alignment : {TextAlignment::Left, TextAlignment::Center, TextAlignment::Right}) {
        const auto ctx = Context::createView(120, 80);
        pushContext(ctx);
        const Size size = drawInRect(text, box, font, LineBreakMode::WordWrap, alignment);
        popContext();
        EXPECT_EQ(size, sizeWithFont(text, font, box.size, LineBreakMode::WordWrap));
        EXPECT_EQ(size.height, 34);
        const Ink ink = inkOf(*ctx);
        ASSERT_TRUE(ink.any());
        EXPECT_GE(ink.minX, 20);
        EXPECT_LT(ink.maxX, 100);
        EXPECT_GE(ink.minY, 10);
        EXPECT_LT(ink.maxY, 10 + 34); // the third line is not drawn
        inks.push_back(ink);
    }
    EXPECT_LT(inks[0].minX, inks[1].minX);
    EXPECT_LT(inks[1].minX, inks[2].minX);
    EXPECT_GE(inks[2].maxX, 97); // right-aligned ink reaches the edge
}

TEST_F(TextDrawingTest, ComesOutUpsideDownInAYUpBitmapContext) {
    const auto font = Font::boldSystemFontOfSize(18);
    const auto view = Context::createView(100, 40);
    const auto bitmap = BitmapContext::create(100, 40, PixelFormat::Bgra8PremulFirstLE);
    ASSERT_NE(bitmap, nullptr);
    for (const std::shared_ptr<Context>& ctx : {view, std::static_pointer_cast<Context>(bitmap)}) {
        pushContext(ctx);
        drawAtPoint("Tg", Point{5, 4}, font);
        popContext();
    }
    const std::vector<bool> upright = inkRows(*view);
    std::vector<bool> flipped = inkRows(*bitmap);
    std::reverse(flipped.begin(), flipped.end());
    EXPECT_EQ(flipped, upright);
    // The view has the T's bar near the top of its ink; the bitmap, in memory, near the bottom.
    const Ink v = inkOf(*view, 128), b = inkOf(*bitmap, 128);
    ASSERT_TRUE(v.any());
    EXPECT_EQ(b.minY, 40 - 1 - v.maxY);
    EXPECT_EQ(b.maxY, 40 - 1 - v.minY);
    EXPECT_LE(v.minY, 9);
    EXPECT_GE(b.maxY, 30);
}

TEST_F(TextDrawingTest, SlantsObliqueFontsWithTheUprightAdvances) {
    // The stem of an 'l' leans right in the oblique font: its top ink sits further right than its bottom.
    const auto leanOf = [](const std::shared_ptr<Font>& font) {
        const auto ctx = Context::createView(40, 40);
        pushContext(ctx);
        drawAtPoint("l", Point{10, 5}, font);
        popContext();
        const Ink ink = inkOf(*ctx, 128);
        const auto meanX = [&](int y) {
            double sum = 0, n = 0;
            for (int x = 0; x < ctx->width(); ++x) {
                if (ctx->pixelAt(x, y).a >= 128) {
                    sum += x;
                    ++n;
                }
            }
            return n ? sum / n : 0;
        };
        return meanX(ink.minY + 1) - meanX(ink.maxY - 1);
    };
    EXPECT_NEAR(leanOf(Font::systemFontOfSize(24)), 0, 0.5);
    EXPECT_GT(leanOf(Font::withName("Helvetica-Oblique", 24)), 2);
    EXPECT_EQ(sizeWithFont("lll", Font::withName("Helvetica-Oblique", 24)),
              sizeWithFont("lll", Font::systemFontOfSize(24)));
}

} // namespace
} // namespace gfx
