// Colours: factories, grey and RGB spaces, named tags and component reads.
#include <gtest/gtest.h>

#include "platform/graphics/color.h"

namespace gfx {
namespace {

TEST(Color, NamedFactoriesCarryTagsSpacesAndComponents) {
    struct Case {
        Color color;
        Named tag;
        ColorSpace space;
        double r, g, b, a;
    };
    const Case cases[] = {
        {Color::black(), Named::Black, ColorSpace::Gray, 0, 0, 0, 1},
        {Color::white(), Named::White, ColorSpace::Gray, 1, 1, 1, 1},
        {Color::clear(), Named::Clear, ColorSpace::Gray, 0, 0, 0, 0},
        {Color::gray(), Named::Gray, ColorSpace::Gray, 0.5, 0.5, 0.5, 1},
        {Color::lightGray(), Named::LightGray, ColorSpace::Gray, 0.667, 0.667, 0.667, 1},
        {Color::darkGray(), Named::DarkGray, ColorSpace::Gray, 1.0 / 3, 1.0 / 3, 1.0 / 3, 1},
        {Color::red(), Named::Red, ColorSpace::RGB, 1, 0, 0, 1},
        {Color::green(), Named::Green, ColorSpace::RGB, 0, 1, 0, 1},
        {Color::blue(), Named::Blue, ColorSpace::RGB, 0, 0, 1, 1},
        {Color::orange(), Named::Orange, ColorSpace::RGB, 1, 0.5, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.tag));
        EXPECT_TRUE(c.color.isNamed(c.tag));
        EXPECT_FALSE(c.color.isNamed(c.tag == Named::Black ? Named::White : Named::Black));
        EXPECT_EQ(c.color.space(), c.space);
        double r = -1, g = -1, b = -1, a = -1;
        c.color.getRed(&r, &g, &b, &a);
        EXPECT_DOUBLE_EQ(r, c.r);
        EXPECT_DOUBLE_EQ(g, c.g);
        EXPECT_DOUBLE_EQ(b, c.b);
        EXPECT_DOUBLE_EQ(a, c.a);
    }
}

TEST(Color, MadeColoursAndAlphaCopies) {
    Color grey = Color::white(0.25, 0.5);
    EXPECT_EQ(grey.space(), ColorSpace::Gray);
    EXPECT_FALSE(grey.named().has_value());
    double r = 0, b = 0, a = 0;
    grey.getRed(&r, nullptr, &b, &a);
    EXPECT_EQ(r, 0.25);
    EXPECT_EQ(b, 0.25);
    EXPECT_EQ(a, 0.5);

    // Same components in another space are a different colour; the tag does not count.
    EXPECT_EQ(Color::white(0, 1), Color::black());
    EXPECT_NE(Color::rgba(0, 0, 0, 1), Color::black());
    EXPECT_EQ(Color::rgba(1, 0, 0, 1), Color::red());

    Color faded = Color::black().withAlphaComponent(0.3);
    EXPECT_FALSE(faded.isNamed(Named::Black));
    EXPECT_EQ(faded.space(), ColorSpace::Gray);
    EXPECT_EQ(faded.a, 0.3);
    EXPECT_EQ(faded.r, 0);
    EXPECT_EQ(Color::orange().withAlphaComponent(0.5), Color::rgba(1, 0.5, 0, 0.5));

    Color hex = Color::fromRgbHex(0x336699);
    EXPECT_EQ(hex.space(), ColorSpace::RGB);
    EXPECT_DOUBLE_EQ(hex.r, 0x33 / 255.0);
    EXPECT_DOUBLE_EQ(hex.g, 0x66 / 255.0);
    EXPECT_DOUBLE_EQ(hex.b, 0x99 / 255.0);
    EXPECT_EQ(hex.a, 1);
    EXPECT_EQ(Color::fromRgbHex(0xff00ff00, 0.25), Color::rgba(0, 1, 0, 0.25)); // bits above 24 ignored
}

} // namespace
} // namespace gfx
