// The token layout of chat lines under fixed synthetic metrics (11 points a character at size 20,
// lines 24 high): cutting words and characters, line feeds, inline images, font tokens, emoji, and
// widths narrower than a character; a few sizes with the real fonts.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "messaging/chat/im_message_view.h"
#include "platform/graphics/backends.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/image.h"
#include "platform/graphics/text_layout.h"
#include "platform/graphics/text_metrics.h"

namespace zelvan {
namespace {

using Tokens = std::vector<MessageToken>;

gfx::ImagePtr squareImage(int side) {
    return gfx::Image::fromPixels(side, side, fnd::Bytes(static_cast<size_t>(side * side * 4), 0xFF));
}

gfx::Size measure(double width, const Tokens& tokens, double fontSize = 20) {
    return IMMessageView::calculateContentSize(width, tokens, gfx::Font::systemFontOfSize(fontSize), std::nullopt,
                                               false);
}

// Draws into an image context with a layer to take the images; the size must match measuring.
gfx::Size drawn(double width, const Tokens& tokens, const std::shared_ptr<ui::Layer>& layer, double fontSize = 20) {
    gfx::beginImageContext(gfx::Size{400, 400});
    const gfx::Size size = IMMessageView::calculateContentSize(width, tokens, gfx::Font::systemFontOfSize(fontSize),
                                                               gfx::Color::black(), true, layer);
    gfx::endImageContext();
    return size;
}

class MessageLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { gfx::installTextMetrics(std::make_shared<gfx::SyntheticMetrics>()); }
    void TearDown() override { gfx::installTextMetrics(nullptr); }
};

TEST_F(MessageLayoutTest, TextIsCutByWordsThenCharacters) {
    // 60 letters at 200: 18 a line (198 points), the last line holds 6.
    EXPECT_EQ(measure(200, {std::string(60, 'x')}), (gfx::Size{198, 96}));
    // "hello worl" overflows 100 at a letter: the line ends after the blank, which stays on it.
    EXPECT_EQ(measure(100, {std::string("hello world")}), (gfx::Size{66, 48}));
    // A word that does not fit behind a begun line moves whole to the next line.
    EXPECT_EQ(measure(100, {std::string("abc"), std::string("defghij")}), (gfx::Size{77, 48}));
    // A piece overflowing at another character keeps what fits and goes on with that character.
    EXPECT_EQ(measure(100, {std::string("abcdefgh!?")}), (gfx::Size{99, 48}));
    // One line: its text width and one line height.
    EXPECT_EQ(measure(200, {std::string("hi there")}), (gfx::Size{88, 24}));
}

TEST_F(MessageLayoutTest, LineFeedsAndEmptyRuns) {
    EXPECT_EQ(measure(200, {std::string("abc\n")}), (gfx::Size{33, 24}));
    EXPECT_EQ(measure(200, {std::string("abc\ndefgh\n")}), (gfx::Size{55, 48}));
    EXPECT_EQ(measure(200, {std::string("abc\n\nd")}), (gfx::Size{33, 72}));
    EXPECT_EQ(measure(200, {}), (gfx::Size{0, 24}));
}

TEST_F(MessageLayoutTest, ImagesAreSquaresOfAtLeast21Points) {
    // At size 10 a line is 12 high, so an image is 21 points and makes its line 21 high.
    const auto image = squareImage(30);
    ASSERT_NE(image, nullptr);
    auto layer = ui::Layer::create();
    EXPECT_EQ(drawn(200, {std::string("ab"), image}, layer, 10), (gfx::Size{32, 21}));
    ASSERT_EQ(layer->sublayers().size(), 1u);
    EXPECT_EQ(layer->sublayers()[0]->frame(), (gfx::Rect{11, 0, 21, 21}));
    EXPECT_EQ(layer->sublayers()[0]->contents(), image);

    // An image that does not fit behind the text starts the next line, which is image-high.
    layer = ui::Layer::create();
    EXPECT_EQ(drawn(100, {std::string("abcdefgh"), image, std::string("x")}, layer), (gfx::Size{88, 48}));
    ASSERT_EQ(layer->sublayers().size(), 1u);
    EXPECT_EQ(layer->sublayers()[0]->frame(), (gfx::Rect{0, 24, 24, 24}));
    // Alone, or wider than the whole line, an image stays on the first line.
    EXPECT_EQ(measure(200, {image}), (gfx::Size{24, 24}));
    EXPECT_EQ(measure(10, {image, std::string("\n")}), (gfx::Size{24, 24}));
}

TEST_F(MessageLayoutTest, FontAndColourTokensHoldUntilTheNullMarker) {
    const auto big = gfx::Font::systemFontOfSize(40);
    // "ab" at 40 is 44 wide, "ab" at 20 after the marker 22; line heights follow the base font.
    EXPECT_EQ(measure(200, {big, std::string("ab"), NullMarker{}, std::string("ab")}), (gfx::Size{66, 24}));
    EXPECT_EQ(measure(200, {big, std::string("ab"), gfx::Color::red(), std::string("ab")}), (gfx::Size{88, 24}));

    // A colour token holds until the null marker brings back the base colour (black).
    gfx::beginImageContext(gfx::Size{100, 30});
    IMMessageView::calculateContentSize(200, {gfx::Color::red(), std::string("ll"), NullMarker{}, std::string("ll")},
                                        gfx::Font::systemFontOfSize(20), gfx::Color::black(), true, nullptr);
    const auto image = gfx::imageFromCurrentImageContext();
    gfx::endImageContext();
    ASSERT_NE(image, nullptr);
    int red = 0;
    int black = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 44; ++x) {
            const auto p = image->pixelAt(x, y);
            const bool isRed = p.a > 200 && p.r > 200 && p.g < 60;
            const bool isBlack = p.a > 200 && p.r < 60 && p.g < 60;
            red += isRed && x < 22 ? 1 : 0;
            black += isBlack && x >= 22 ? 1 : 0;
            EXPECT_FALSE((isRed && x >= 23) || (isBlack && x < 21)) << x << "," << y;
        }
    }
    EXPECT_GT(red, 10);
    EXPECT_GT(black, 10);
}

TEST_F(MessageLayoutTest, NarrowWidthsEndAndNeverSplitSurrogatePairs) {
    // U+1F600 twice: each line takes one whole emoji, never half of one (a half would measure as U+FFFD).
    const std::string emoji = "\xF0\x9F\x98\x80";
    const double one = gfx::sizeWithFont(emoji, gfx::Font::systemFontOfSize(20)).width;
    EXPECT_EQ(measure(5, {emoji + emoji}), (gfx::Size{one, 48}));

    const Tokens mixed{std::string("ab cd!\n") + emoji + "x y", squareImage(8), gfx::Color::blue(),
                       std::string("12345 ,;"), NullMarker{}};
    for (int width = 1; width <= 20; ++width) {
        const gfx::Size size = measure(width, mixed);
        EXPECT_TRUE(std::isfinite(size.width) && std::isfinite(size.height)) << width;
        EXPECT_GE(size.height, 24) << width;
        EXPECT_EQ(drawn(width, mixed, ui::Layer::create()), size) << width;
    }
}

TEST(MessageLayoutRealFontsTest, OneLineMeasuresItsTextAndLine) {
    const auto font = gfx::Font::withName("Helvetica", 12.0);
    const gfx::Size a = gfx::sizeWithFont("A", font);
    EXPECT_EQ(IMMessageView::calculateContentSize(200, {std::string("Hello there")}, font, std::nullopt, false),
              (gfx::Size{gfx::sizeWithFont("Hello there", font).width, a.height}));
    const gfx::Size wrapped = IMMessageView::calculateContentSize(
        200, {std::string("The quick brown fox jumps over the lazy dog again and again")}, font, std::nullopt, false);
    EXPECT_LE(wrapped.width, 200.5);
    EXPECT_EQ(wrapped.height, 2 * a.height);
}

} // namespace
} // namespace zelvan
