// Bitmap fonts: glyph numbering over character ranges, widths, anchored drawing as pixels on a y-down
// screen, colours derived from palette 0 (byte-identical for the same colour), and hostile files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "games/engine/natives/drawing_helpers.h"
#include "games/formats/bitmap_font.h"
#include "platform/foundation/parse_error.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/zlib_codec.h"
#include "platform/graphics/context.h"
#include "platform/graphics/graphics_stack.h"
#include "tools/gameart/art_builders.h"
#include "tools/gameart/font_builders.h"

namespace zelvan {
namespace {

using gameart::buildFont;
using gameart::fontColorBlock;
using gameart::GlyphPixels;
using gameart::solidGlyph;

// The font of a file that must parse; null, with the parse error reported, when it does not.
std::shared_ptr<vFont> parsedFont(const fnd::Bytes& file) {
    auto parsed = vFont::initWithIData(file);
    EXPECT_TRUE(parsed.ok()) << (parsed.ok() ? std::string() : parsed.error().localizedDescription());
    return std::move(parsed).valueOr(nullptr);
}

// Glyphs of distinct widths (glyph k is k + 1 wide and 2 high), one per character of the ranges.
std::vector<GlyphPixels> countedGlyphs(int count) {
    std::vector<GlyphPixels> glyphs;
    for (int k = 0; k < count; ++k) {
        glyphs.push_back(solidGlyph(k + 1, 2));
    }
    return glyphs;
}

int rangeTotal(const std::vector<std::pair<uint8_t, uint8_t>>& ranges) {
    int total = 0;
    for (auto [first, count] : ranges) {
        total += count;
    }
    return total;
}

struct Ink {
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1; // inclusive, device pixels (row 0 on top)
    int pixels = 0;
};

Ink inkOf(gfx::Context& context) {
    Ink ink;
    for (int y = 0; y < context.height(); ++y) {
        for (int x = 0; x < context.width(); ++x) {
            if (context.pixelAt(x, y).a != 0) {
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

bool samePixels(gfx::Context& a, gfx::Context& b) {
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            gfx::Rgba8 p = a.pixelAt(x, y);
            gfx::Rgba8 q = b.pixelAt(x, y);
            if (p.r != q.r || p.g != q.g || p.b != q.b || p.a != q.a) {
                return false;
            }
        }
    }
    return true;
}

TEST(BitmapFontTest, GlyphNumberingOverRanges) {
    struct Case {
        std::vector<std::pair<uint8_t, uint8_t>> ranges;
        std::vector<std::pair<int, int>> expected; // (code, glyph or -1)
    };
    const Case cases[] = {
        {{{48, 10}}, {{48, 0}, {53, 5}, {57, 9}, {47, -1}, {58, -1}, {65, -1}, {32, -1}}},
        {{{65, 3}, {97, 2}}, {{65, 0}, {66, 1}, {67, 2}, {68, -1}, {97, 3}, {98, 4}, {99, -1}}},
        // Codes below 32 and above 126 take glyph numbers but have no glyph.
        {{{20, 15}, {65, 1}}, {{31, -1}, {32, 12}, {34, 14}, {35, -1}, {65, 15}}},
        {{{120, 10}, {48, 1}}, {{120, 0}, {126, 6}, {127, -1}, {48, 10}}},
        // A later range overrides an earlier one for the same code.
        {{{65, 2}, {65, 1}}, {{65, 2}, {66, 1}}},
        // Glyph numbers past 255 are not wrapped: only characters that are not drawable lie there.
        {{{65, 1}, {127, 200}, {127, 200}}, {{65, 0}, {127, -1}, {126, -1}}},
    };
    for (const Case& tc : cases) {
        const int images = std::min(rangeTotal(tc.ranges), 255);
        auto font = parsedFont(buildFont(tc.ranges, countedGlyphs(images)));
        ASSERT_NE(font, nullptr);
        for (auto [code, glyph] : tc.expected) {
            SCOPED_TRACE("code " + std::to_string(code));
            EXPECT_EQ(font->glyphForCode(code), glyph);
            EXPECT_EQ(font->charWidth(code), glyph < 0 ? 0 : glyph + 1);
        }
    }
}

TEST(BitmapFontTest, WidthsAndLineHeight) {
    // Glyph 0 ('A') is 3x9, 'B' 4x2, 'C' 5x2: the line height is glyph 0's.
    std::vector<GlyphPixels> glyphs = {solidGlyph(3, 9), solidGlyph(4, 2), solidGlyph(5, 2)};
    auto font = parsedFont(buildFont({{65, 3}}, glyphs));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->height(), 9);
    EXPECT_EQ(font->charWidth('A'), 3);
    EXPECT_EQ(font->charWidth('C'), 5);
    EXPECT_EQ(font->charWidth(0x41 + 0x10000), 0);
    EXPECT_EQ(font->charWidth(-1), 0);
    const std::pair<std::string, int> widths[] = {
        {"", 0},
        {"ABC", 12},
        {"CCC", 15},
        {"A B", 7},
        {"A\xC3\xA9"
         "B",
         7}, // an accented letter counts nothing
        {"A\xF0\x9F\x98\x80"
         "C",
         8}, // neither does either half of a surrogate pair
        {"A\xFF"
         "B",
         7}, // nor an ill-formed byte
    };
    for (const auto& [text, width] : widths) {
        EXPECT_EQ(font->stringWidth(text), width) << text;
    }
    EXPECT_EQ(font->colors(), std::vector<int>{0x000000});
    EXPECT_EQ(font->alphas(), std::vector<int>{255});
    EXPECT_EQ(font->colorID(), 0);
}

TEST(BitmapFontTest, AnchoredDrawingLandsOnScreen) {
    // "ABC" is 30 wide (10 + 10 + 10) in a font 11 high. CNG4 puts an image drawn at (x, y) on a
    // y-down screen in rows y + 1 ... y + h.
    std::vector<GlyphPixels> glyphs = {solidGlyph(10, 11), solidGlyph(10, 11), solidGlyph(10, 11)};
    for (uint8_t flags : {0, 1, 2, 3}) {
        for (int depth : {1, 8}) {
            auto font = parsedFont(buildFont({{65, 3}}, glyphs, {fontColorBlock(0xFF0000)}, flags, depth));
            ASSERT_NE(font, nullptr);
            ASSERT_EQ(font->stringWidth("ABC"), 30);
            struct Case {
                int anchor;
                int dx, dy; // where the string's top-left lands relative to (50, 40)
            };
            const Case cases[] = {{7, 0, 0},    {8, -15, 0},  {9, -30, 0},   {4, 0, -5},    {5, -15, -5},
                                  {6, -30, -5}, {1, 0, -11},  {2, -15, -11}, {3, -30, -11}, {0, -30, -11},
                                  {10, 0, 0},   {11, -15, 0}, {-1, 0, -11},  {-3, -30, -11}};
            for (const Case& tc : cases) {
                SCOPED_TRACE("flags " + std::to_string(flags) + " depth " + std::to_string(depth) + " anchor " +
                             std::to_string(tc.anchor));
                auto screen = gfx::Context::createView(100, 80);
                font->drawString(*screen, "ABC", 50, 40, tc.anchor, screen->height());
                Ink ink = inkOf(*screen);
                EXPECT_EQ(ink.minX, 50 + tc.dx);
                EXPECT_EQ(ink.maxX, 50 + tc.dx + 29);
                EXPECT_EQ(ink.minY, 40 + tc.dy + 1);
                EXPECT_EQ(ink.maxY, 40 + tc.dy + 11);
                EXPECT_EQ(ink.pixels, 30 * 11);
            }
        }
    }

    auto font = parsedFont(buildFont({{65, 3}}, glyphs, {fontColorBlock(0xFF0000)}));
    ASSERT_NE(font, nullptr);
    // One glyph at anchor 5 in a small screen: 10x11 around (10, 10), in the ink colour.
    auto small = gfx::Context::createView(20, 20);
    font->drawString(*small, "B", 10, 10, 5, small->height());
    Ink one = inkOf(*small);
    EXPECT_EQ(one.minX, 5);
    EXPECT_EQ(one.maxX, 14);
    EXPECT_EQ(one.minY, 6);
    EXPECT_EQ(one.maxY, 16);
    gfx::Rgba8 p = small->pixelAt(9, 10);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 0);
    EXPECT_EQ(p.a, 255);

    // Characters without a glyph are skipped without advancing.
    auto skipped = gfx::Context::createView(100, 80);
    font->drawString(*skipped, "A\xC3\xA9 z\tB", 10, 10, 7, skipped->height());
    auto plain = gfx::Context::createView(100, 80);
    font->drawString(*plain, "AB", 10, 10, 7, plain->height());
    EXPECT_TRUE(samePixels(*skipped, *plain));
    EXPECT_EQ(inkOf(*plain).pixels, 2 * 10 * 11);

    // Far-off positions draw nothing and do not fail.
    auto far = gfx::Context::createView(20, 20);
    font->drawString(*far, "ABC", 2147483647, -2147483647 - 1, 3, far->height());
    font->drawString(*far, "ABC", -2147483647 - 1, 2147483647, 7, far->height());
    EXPECT_EQ(inkOf(*far).pixels, 0);
}

TEST(BitmapFontTest, AddColorDerivesPalettes) {
    std::vector<GlyphPixels> glyphs = {solidGlyph(4, 4)};
    auto font = parsedFont(buildFont({{65, 1}}, glyphs, {fontColorBlock(0x000000, 255)}));
    ASSERT_NE(font, nullptr);

    // The same colour and alpha: byte for byte palette 0.
    EXPECT_EQ(font->addColor(0x000000, 255), 1);
    EXPECT_EQ(font->cng().getPalette(1), font->cng().getPalette(0));

    // A new colour and alpha: ink bytes, alpha byte and both CRCs rewritten; nothing else changes.
    EXPECT_EQ(font->addColor(0x10FF80, 128), 2);
    fnd::Bytes base = *font->cng().getPalette(0);
    fnd::Bytes green = *font->cng().getPalette(2);
    ASSERT_EQ(green.size(), 32u);
    EXPECT_EQ((std::vector<uint8_t>(green.begin() + 11, green.begin() + 14)), (std::vector<uint8_t>{0x10, 0xFF, 0x80}));
    EXPECT_EQ(green[27], 128);
    auto storedCrc = [](const fnd::Bytes& b, size_t at) {
        return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
    };
    EXPECT_EQ(storedCrc(green, 14), fnd::crc32(green.data() + 4, 10));
    EXPECT_EQ(storedCrc(green, 28), fnd::crc32(green.data() + 22, 6));
    for (size_t i : {0, 1, 2, 3, 4, 8, 9, 10, 18, 22, 26}) {
        EXPECT_EQ(green[i], base[i]) << "byte " << i;
    }
    EXPECT_EQ(font->colors(), (std::vector<int>{0x000000, 0x000000, 0x10FF80}));
    EXPECT_EQ(font->alphas(), (std::vector<int>{255, 255, 128}));

    // Drawing in the new colour shows it (the derived PNG decodes).
    ASSERT_TRUE(font->setColorIndex(2));
    auto screen = gfx::Context::createView(10, 10);
    font->drawString(*screen, "A", 0, 0, 7, screen->height());
    gfx::Rgba8 p = screen->pixelAt(1, 2);
    EXPECT_EQ(p.g, 255);
    EXPECT_NEAR(p.r, 0x10, 1);
    EXPECT_EQ(p.a, 128);

    // Colours out of range: the colour keeps its low 24 bits, the alpha is clamped.
    EXPECT_EQ(font->addColor(0x7F0000FF, 300), 3);
    EXPECT_EQ(font->colors().back(), 0x0000FF);
    EXPECT_EQ((*font->cng().getPalette(3))[27], 255);

    // An unknown colour index is refused and the selection stays.
    fnd::testing::LogCapture log;
    EXPECT_FALSE(font->setColorIndex(4));
    EXPECT_FALSE(font->setColorIndex(-1));
    EXPECT_EQ(font->colorID(), 2);
    EXPECT_TRUE(log.contains("ERROR"));
}

TEST(BitmapFontTest, AddColorComparesWithTheRealInk) {
    // Palette 0 is red at alpha 200, palette 1 blue: black must come out black, and the new colour's
    // index follows the file's own palettes.
    std::vector<GlyphPixels> glyphs = {solidGlyph(2, 2)};
    auto font = parsedFont(buildFont({{65, 1}}, glyphs, {fontColorBlock(0xFF0000, 200), fontColorBlock(0x0000FF)}));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->colors(), (std::vector<int>{0xFF0000, 0x0000FF}));
    EXPECT_EQ(font->addColor(0xFF0000, 200), 2);
    EXPECT_EQ(font->cng().getPalette(2), font->cng().getPalette(0));
    EXPECT_EQ(font->addColor(0x000000, 255), 3);
    ASSERT_TRUE(font->setColorIndex(3));
    auto screen = gfx::Context::createView(4, 4);
    font->drawString(*screen, "A", 0, 0, 7, screen->height());
    gfx::Rgba8 p = screen->pixelAt(0, 1);
    EXPECT_EQ(p.r, 0);
    EXPECT_EQ(p.a, 255);

    // Palette 0 not in the 32-byte form: no colour can be derived.
    const fnd::Bytes otherForms[] = {
        gameart::paletteBlock({0xFFFFFF, 0x000000}),                          // no tRNS
        gameart::paletteBlock({0xFFFFFF, 0x000000, 0x00FF00}, {0, 255, 255}), // three entries
    };
    for (const fnd::Bytes& block : otherForms) {
        auto plain = parsedFont(buildFont({{65, 1}}, glyphs, {block}));
        ASSERT_NE(plain, nullptr);
        fnd::testing::LogCapture log;
        EXPECT_EQ(plain->addColor(0x123456, 255), -1);
        EXPECT_EQ(plain->cng().paletteCount(), 1);
        EXPECT_EQ(plain->colors().size(), 1u);
        EXPECT_TRUE(log.contains("ERROR"));
    }
}

TEST(BitmapFontTest, HostileFilesGiveNoFont) {
    const fnd::Bytes goodArchive =
        gameart::ArchiveBuilder().addPaletteBlock(fontColorBlock(0)).addImage(2, 2, {1, 1, 1, 1}).build();
    fnd::Bytes truncatedArchive = goodArchive;
    truncatedArchive.resize(truncatedArchive.size() - 3);
    // Where the cut archive's image data starts, in a font file with one range.
    const size_t cutDataAt = 3 + CNG4::initWithIData(goodArchive).value()->dataOffset(0);
    struct Case {
        const char* name;
        fnd::Bytes bytes;
        size_t offset;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", {}, 0, "bitmap font file is empty"},
        {"ranges past the end", {3, 65, 1, 66}, 1, "3 character ranges do not fit"},
        {"ranges but no archive", {1, 65, 1}, 3, "shorter than its 8-byte header"},
        {"archive shorter than its header", gameart::fontFile({{65, 1}}, {0, 0, 0, 1, 8}), 8,
         "shorter than its 8-byte header"},
        {"archive data cut short", gameart::fontFile({{65, 1}}, truncatedArchive), cutDataAt, "past the end"},
        {"no images",
         gameart::fontFile({{65, 1}}, gameart::ArchiveBuilder().addPaletteBlock(fontColorBlock(0)).build()), 3,
         "0 images and 1 palettes"},
        {"no palettes", gameart::fontFile({{65, 1}}, gameart::ArchiveBuilder().addImage(2, 2, {1, 1, 1, 1}).build()), 3,
         "1 images and 0 palettes"},
        {"a character past the archive's glyphs", gameart::fontFile({{65, 2}}, goodArchive), 1,
         "character 66 has glyph 1"},
        // 'A' would be glyph 256, which a byte would wrap to glyph 0; ' ' (glyph 32, from the first
        // range) is the first character found outside the archive.
        {"glyph numbers past 255", gameart::fontFile({{0, 255}, {1, 1}, {65, 1}}, goodArchive), 1,
         "character 32 has glyph 32"},
    };
    for (const auto& [name, bytes, offset, reason] : cases) {
        SCOPED_TRACE(name);
        fnd::testing::LogCapture log;
        auto parsed = vFont::initWithIData(bytes);
        ASSERT_FALSE(parsed.ok());
        EXPECT_EQ(fnd::parseErrorOffset(parsed.error()), offset);
        EXPECT_NE(parsed.error().localizedDescription().find(reason), std::string::npos)
            << parsed.error().localizedDescription();
        EXPECT_TRUE(log.lines().empty()); // the caller decides whether to log
    }
    // The good archive itself makes a font.
    EXPECT_NE(parsedFont(gameart::fontFile({{65, 1}}, goodArchive)), nullptr);
}

TEST(BitmapFontTest, WritesASampleLine) {
    auto font = parsedFont(gameart::pixelFont(0x202020));
    ASSERT_NE(font, nullptr);
    const int red = font->addColor(0xD02020, 255);
    ASSERT_EQ(red, 1);
    auto screen = gfx::Context::createView(160, 40);
    screen->setRGBFillColor(1, 1, 0.9, 1);
    screen->fillRect(gfx::Rect(0, 0, 160, 40));
    font->drawString(*screen, "HELLO 2048", 80, 12, 5, screen->height());
    font->setColorIndex(red);
    font->drawString(*screen, "GAME OVER", 80, 28, 5, screen->height());
    // Each line is 4 pixels a character: 40 and 36 wide, centred on x = 80.
    EXPECT_EQ(font->stringWidth("HELLO 2048"), 40);
    gfx::Rgba8 ink = screen->pixelAt(60, 11); // the top of the left stroke of H
    EXPECT_EQ(ink.r, 0x20);
    // Next to the test binary, in the build tree, for a person to look at.
    std::string path = (std::filesystem::canonical("/proc/self/exe").parent_path() / "bitmap_font_sample.png").string();
    ASSERT_TRUE(gfx::savePng(*screen, path));
    RecordProperty("sample", path);
}

} // namespace
} // namespace zelvan
