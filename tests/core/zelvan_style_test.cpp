// The colour and font scheme: numbered fonts and their fallback, distinct named colours, and web
// colour strings good and bad.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/zelvan_style.h"
#include "platform/foundation/testing/log_capture.h"

namespace zelvan {
namespace {

TEST(ZelvanStyleTest, NumberedFontsAndTheirFallback) {
    const auto& style = ZelvanStyle::shared();
    ASSERT_TRUE(style);
    EXPECT_EQ(style, ZelvanStyle::shared());
    for (int n = 1; n <= ZelvanStyle::kFontCount; ++n) {
        auto font = style->font(n);
        ASSERT_TRUE(font) << n;
        EXPECT_GE(font->pointSize(), 10) << n;
        EXPECT_LE(font->pointSize(), 20) << n;
        EXPECT_EQ(font, style->font(n)) << n; // made once
    }
    // Names are bold; chat lines are regular and larger than the system lines under them.
    EXPECT_TRUE(style->font(1)->isBold());
    EXPECT_FALSE(style->font(6)->isBold());
    EXPECT_GT(style->font(6)->pointSize(), style->font(8)->pointSize());
    ASSERT_TRUE(style->tableCellFont());

    // Unknown numbers are reported once per style; a style of its own starts with none reported.
    const ZelvanStyle fresh;
    fnd::testing::LogCapture log;
    for (int n : {0, 15, -3, 15}) {
        auto font = fresh.font(n);
        ASSERT_TRUE(font);
        EXPECT_EQ(font->pointSize(), 14);
        EXPECT_FALSE(font->isBold());
    }
    EXPECT_EQ(log.count("no font number 15"), 1u);
    EXPECT_EQ(log.count("no font number 0"), 1u);
}

TEST(ZelvanStyleTest, ChatColoursDifferFromTheirBackgrounds) {
    ZelvanStyle style;
    EXPECT_NE(style.chatMessageColor(), style.imCellBackgroundColor());
    EXPECT_NE(style.systemMessageColor(), style.viewBackgroundColor());
    EXPECT_NE(style.systemHighlightMessageColor(), style.systemMessageColor());
    EXPECT_NE(style.tableViewSeparatorColor(), style.tableViewBackgroundColor());
    EXPECT_NE(style.labelTextColor(), style.viewBackgroundColor());
    EXPECT_EQ(style.navigationBarTintColor().a, 1);
    EXPECT_EQ(style.avatarBorderColor().a, 1);
}

TEST(ZelvanStyleTest, ReadsWebColourStrings) {
    struct Good {
        const char* text;
        gfx::Color color;
    };
    const Good good[] = {
        {"#496b99", gfx::Color(0x49 / 255.0, 0x6b / 255.0, 0x99 / 255.0)},
        {"496B99", gfx::Color(0x49 / 255.0, 0x6b / 255.0, 0x99 / 255.0)},
        {"#000000", gfx::Color(0, 0, 0)},
        {"#FFFFFF", gfx::Color(1, 1, 1)},
        {"#f80", gfx::Color(1, 0x88 / 255.0, 0)},
    };
    for (const auto& g : good) {
        SCOPED_TRACE(g.text);
        auto color = ZelvanStyle::colorFromWebString(g.text);
        ASSERT_TRUE(color.has_value());
        EXPECT_NEAR(color->r, g.color.r, 1e-9);
        EXPECT_NEAR(color->g, g.color.g, 1e-9);
        EXPECT_NEAR(color->b, g.color.b, 1e-9);
        EXPECT_EQ(color->a, 1);
    }

    fnd::testing::LogCapture log;
    for (const char* bad : {"#12345g", "", "#", "f80", "#12345", "1234567", "#1234567", " #123456", "#123456 ",
                            "0x123456", "##12345", "#-12345", "+123456"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(ZelvanStyle::colorFromWebString(bad), std::nullopt);
    }
    EXPECT_TRUE(log.contains("\"#12345g\" is not a web colour"));
}

} // namespace
} // namespace zelvan
