// Font names, sizes and the metrics fonts report through the installed TextMetrics.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/backends.h"
#include "platform/graphics/font.h"
#include "platform/graphics/text_metrics.h"

namespace gfx {
namespace {

TEST(FontTest, MapsProductNamesOntoFaces) {
    struct Case {
        const char* name;
        const char* family;
        bool bold;
        bool oblique;
    };
    const Case cases[] = {
        {"Helvetica", "Helvetica", false, false},     {"Arial", "Arial", false, false},
        {"ArialMT", "Arial", false, false},           {"Verdana", "Verdana", false, false},
        {"Helvetica-Bold", "Helvetica", true, false}, {"Arial-BoldMT", "Arial", true, false},
        {"Verdana-Bold", "Verdana", true, false},     {"Helvetica-Oblique", "Helvetica", false, true},
        {"Arial-ItalicMT", "Arial", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto font = Font::withName(c.name, 13);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->fontName(), c.name);
        EXPECT_EQ(font->familyName(), c.family);
        EXPECT_EQ(font->isBold(), c.bold);
        EXPECT_EQ(font->isOblique(), c.oblique);
        EXPECT_EQ(font->pointSize(), 13);
    }
    for (const char* unknown : {"", "Times", "helvetica", "Helvetica-BoldOblique", "DejaVu Sans"}) {
        EXPECT_EQ(Font::withName(unknown, 12), nullptr) << unknown;
    }

    EXPECT_EQ(Font::systemFontSize(), 14);
    EXPECT_EQ(Font::labelFontSize(), 17);
    EXPECT_EQ(Font::buttonFontSize(), 18);
    EXPECT_FALSE(Font::systemFontOfSize(14)->isBold());
    EXPECT_TRUE(Font::boldSystemFontOfSize(14)->isBold());

    const auto resized = Font::withName("Arial-ItalicMT", 10)->fontWithSize(22);
    EXPECT_EQ(resized->fontName(), "Arial-ItalicMT");
    EXPECT_TRUE(resized->isOblique());
    EXPECT_EQ(resized->pointSize(), 22);
    EXPECT_EQ(Font::systemFontOfSize(-3)->pointSize(), 0);
    EXPECT_EQ(Font::systemFontOfSize(NAN)->pointSize(), 0);
}

TEST(FontTest, ReportsTheInstalledMetrics) {
    const auto font = Font::systemFontOfSize(20);
    installTextMetrics(std::make_shared<SyntheticMetrics>());
    EXPECT_EQ(font->ascender(), 20);
    EXPECT_EQ(font->descender(), -4);
    EXPECT_EQ(font->lineHeight(), 24);
    installTextMetrics(nullptr); // back to DejaVu Sans: hhea ascender 1901, descender -483 per 2048
    EXPECT_DOUBLE_EQ(font->ascender(), 1901.0 * 20 / 2048);
    EXPECT_DOUBLE_EQ(font->descender(), -483.0 * 20 / 2048);
    EXPECT_EQ(font->lineHeight(), 24); // ceil(2384 x 20 / 2048 = 23.28)
    EXPECT_EQ(Font::systemFontOfSize(0)->lineHeight(), 0);
}

} // namespace
} // namespace gfx
