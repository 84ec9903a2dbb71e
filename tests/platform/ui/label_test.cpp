// Labels: defaults, natural size on one line or wrapped within the width, the vertically centred
// text, shrinking the font to fit the width down to the minimum, and the drawn shadow.
#include <memory>
#include <string>

#include "controls_test_support.h"
#include "platform/ui/label.h"

namespace ui {
namespace {

using namespace controls_test;

class LabelTest : public ControlsTest {};

TEST_F(LabelTest, DefaultsAndNaturalSize) {
    useSyntheticMetrics();
    auto label = View::create<Label>(gfx::Rect(0, 0, 100, 30));
    EXPECT_EQ(label->font()->pointSize(), 17);
    EXPECT_EQ(label->textColor(), gfx::Color::black());
    EXPECT_EQ(label->backgroundColor(), gfx::Color::white());
    EXPECT_EQ(label->lineBreakMode(), LineBreakMode::TailTruncation);
    EXPECT_EQ(label->numberOfLines(), 1);
    EXPECT_EQ(label->shadowOffset(), (gfx::Size{0, -1}));
    EXPECT_FALSE(label->isUserInteractionEnabled());

    label->setFont(gfx::Font::systemFontOfSize(10)); // 5.5 points a character, lines of 12
    label->setText("hello world again");             // 17 characters
    EXPECT_EQ(label->sizeThatFits({}), (gfx::Size{94, 12}));

    // Several lines wrap within the current width: at 70, "hello world " | "again".
    label->setNumberOfLines(0);
    label->setFrame(gfx::Rect(0, 0, 70, 30));
    EXPECT_EQ(label->sizeThatFits({}), (gfx::Size{61, 24}));
    label->setFrame(gfx::Rect(0, 0, 40, 30));
    EXPECT_EQ(label->sizeThatFits({}), (gfx::Size{28, 36}));
    // A line limit caps the height.
    label->setNumberOfLines(2);
    EXPECT_EQ(label->sizeThatFits({}).height, 24);
    label->sizeToFit();
    EXPECT_EQ(label->frame().size.height, 24);
}

TEST_F(LabelTest, TextIsCentredVertically) {
    auto label = View::create<Label>(gfx::Rect(0, 0, 200, 100));
    label->setText("Centre");
    window_->addSubview(label);
    const auto shot = label->screenshot();
    const Ink ink = inkWhere(*shot, gfx::Rect(0, 0, 200, 100), isDark);
    ASSERT_TRUE(ink.any());
    EXPECT_NEAR((ink.minY + ink.maxY) / 2.0, 50, 6);
    EXPECT_LT(ink.minX, 5); // left aligned

    label->setTextAlignment(TextAlignment::Right);
    const Ink right = inkWhere(*label->screenshot(), gfx::Rect(0, 0, 200, 100), isDark);
    EXPECT_GT(right.maxX, 193);

    // A resized label lays its text out again rather than stretching the old drawing.
    label->setFrame(gfx::Rect(0, 0, 300, 100));
    const Ink resized = inkWhere(*label->screenshot(), gfx::Rect(0, 0, 300, 100), isDark);
    EXPECT_GT(resized.maxX, 293);
    EXPECT_EQ(resized.width(), right.width());
}

TEST_F(LabelTest, ShrinksTheFontToFitTheWidthDownToTheMinimum) {
    const std::string text = "A rather long line of label text";
    auto label = View::create<Label>(gfx::Rect(0, 0, 150, 40));
    label->setText(text);
    label->setLineBreakMode(LineBreakMode::Clip);
    window_->addSubview(label);
    const Ink clipped = inkWhere(*label->screenshot(), gfx::Rect(0, 0, 150, 40), isDark);
    ASSERT_TRUE(clipped.any());
    EXPECT_GT(clipped.maxX, 140); // runs to the edge

    label->setAdjustsFontSizeToFitWidth(true);
    label->setMinimumFontSize(6);
    const Ink shrunk = inkWhere(*label->screenshot(), gfx::Rect(0, 0, 150, 40), isDark);
    ASSERT_TRUE(shrunk.any());
    const double fitting = gfx::fontSizeThatFits(text, label->font(), 150, 6);
    EXPECT_LT(fitting, 17);
    EXPECT_LE(gfx::sizeWithFont(text, label->font()->fontWithSize(fitting)).width, 150);
    EXPECT_LT(shrunk.maxY - shrunk.minY, clipped.maxY - clipped.minY); // smaller glyphs
    EXPECT_LT(shrunk.maxX, 150);

    // With a minimum too large to fit, the text is drawn at the minimum and truncated.
    label->setMinimumFontSize(16);
    label->setLineBreakMode(LineBreakMode::TailTruncation);
    const Ink atMinimum = inkWhere(*label->screenshot(), gfx::Rect(0, 0, 150, 40), isDark);
    EXPECT_GT(atMinimum.maxY - atMinimum.minY, shrunk.maxY - shrunk.minY);
}

TEST_F(LabelTest, DrawsTheShadowAtItsOffsetAndTheHighlightedColour) {
    auto label = View::create<Label>(gfx::Rect(0, 0, 100, 40));
    label->setText("I");
    label->setFont(gfx::Font::boldSystemFontOfSize(30));
    label->setBackgroundColor(gfx::Color::clear());
    label->setShadowColor(gfx::Color::red());
    label->setShadowOffset(gfx::Size{6, 0});
    window_->addSubview(label);
    auto shot = label->screenshot();
    auto isRed = [](gfx::Rgba8 p) { return p.a > 200 && p.r > 200 && p.g < 60 && p.b < 60; };
    const Ink text = inkWhere(*shot, gfx::Rect(0, 0, 100, 40), isDark);
    const Ink shadow = inkWhere(*shot, gfx::Rect(0, 0, 100, 40), isRed);
    ASSERT_TRUE(text.any());
    ASSERT_TRUE(shadow.any());
    EXPECT_NEAR(shadow.maxX - text.maxX, 6, 1); // edges are antialiased

    label->setShadowColor(std::nullopt);
    label->setHighlightedTextColor(gfx::Color::blue());
    label->setHighlighted(true);
    shot = label->screenshot();
    EXPECT_FALSE(inkWhere(*shot, gfx::Rect(0, 0, 100, 40), isRed).any());
    EXPECT_TRUE(inkWhere(*shot, gfx::Rect(0, 0, 100, 40), [](gfx::Rgba8 p) {
                    return p.a > 200 && p.b > 200 && p.r < 60;
                }).any());
}

} // namespace
} // namespace ui
