// FreeTypeMetrics on the installed DejaVu Sans files: golden advances (design units of the font
// times size / 2048), notdef for missing characters, vertical metrics and concurrent use.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/graphics/backends.h"
#include "platform/graphics/text_layout.h"
#include "platform/graphics/text_metrics.h"

namespace gfx {
namespace {

double units(double designUnits, double size) {
    return designUnits * size / 2048;
}

TEST(FreeTypeMetricsTest, MeasuresDejaVuSansExactly) {
    const FreeTypeMetrics metrics;
    const auto regular = Font::systemFontOfSize(14);
    const auto bold = Font::boldSystemFontOfSize(14);
    const auto oblique = Font::withName("Helvetica-Oblique", 14);
    struct Case {
        const Font& font;
        char32_t c;
        double designUnits;
    };
    const Case cases[] = {
        {*regular, 'H', 1540},      {*regular, 'e', 1260},    {*regular, 'l', 569},
        {*regular, ' ', 651},       {*regular, 'W', 2025},    {*regular, 0x2026, 2048},
        {*regular, 0x1F600, 2135},  {*regular, 0x65E5, 1229}, // not in DejaVu Sans: the notdef advance
        {*regular, 0x10FFFD, 1229}, {*bold, 'H', 1714},       {*bold, 'e', 1389},
        {*oblique, 'H', 1540},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<unsigned>(c.c));
        EXPECT_DOUBLE_EQ(metrics.advance(c.font, c.c), units(c.designUnits, 14));
    }
    // "Hello World": 11831 design units, no kerning.
    EXPECT_DOUBLE_EQ(metrics.width(*regular, "Hello World"), units(11831, 14));
    EXPECT_DOUBLE_EQ(metrics.width(*regular->fontWithSize(9.5), "Hello World"), units(11831, 9.5));

    EXPECT_DOUBLE_EQ(metrics.ascender(*regular), units(1901, 14));
    EXPECT_DOUBLE_EQ(metrics.descender(*regular), units(-483, 14));
    EXPECT_EQ(metrics.lineHeight(*regular), 17); // ceil(16.30)
    EXPECT_EQ(metrics.lineHeight(*Font::systemFontOfSize(17)), 20);
    EXPECT_EQ(metrics.lineHeight(*bold), 17);
}

TEST(FreeTypeMetricsTest, IsTheDefaultAndLaysOutWithIt) {
    installTextMetrics(nullptr);
    ASSERT_NE(dynamic_cast<FreeTypeMetrics*>(textMetrics().get()), nullptr);
    const auto font = Font::systemFontOfSize(14);
    EXPECT_EQ(sizeWithFont("Hello World", font), (Size{81, 17})); // 80.88 rounded up
    // "Hello" (35.48 pt) fits 45 with its space hanging, "World" (40.94 pt) alone.
    const TextLayout layout = layoutText("Hello World", font, {45, 100}, LineBreakMode::WordWrap);
    ASSERT_EQ(layout.lines.size(), 2u);
    EXPECT_EQ(layout.lines[0].text, "Hello ");
    EXPECT_DOUBLE_EQ(layout.lines[0].width, units(5842 - 651, 14));
    EXPECT_EQ(layout.size.height, 34);
}

TEST(FreeTypeMetricsTest, MeasuresFromManyThreadsAtOnce) {
    const auto metrics = std::make_shared<FreeTypeMetrics>();
    const auto font = Font::systemFontOfSize(12);
    std::string text;
    for (char32_t c = 0x20; c < 0x500; ++c) {
        text += c < 0x80 ? std::string(1, static_cast<char>(c)) : "é日Ж";
    }
    const double expected = FreeTypeMetrics().width(*font, text);
    std::vector<double> results(6);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                results[t] = metrics->width(t % 2 ? *font : *font->fontWithSize(12), text);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (double r : results) {
        EXPECT_DOUBLE_EQ(r, expected);
    }
}

} // namespace
} // namespace gfx
