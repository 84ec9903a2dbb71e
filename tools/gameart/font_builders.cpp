// Bitmap font builders: colour blocks, font files from raw glyph pixels, a small pixel font.
#include "tools/gameart/font_builders.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "tools/gameart/art_builders.h"

namespace zelvan::gameart {
namespace {

// 3x5 shapes, rows top first, '#' ink: space, 0-9, A-Z.
constexpr std::array<std::string_view, 37> kShapes = {
    "..............." /* space */,
    "####.##.##.####",
    ".#.##..#..#.###",
    "###..#####..###",
    "###..####..####",
    "#.##.####..#..#",
    "####..###..####",
    "####..####.####",
    "###..#..#..#..#",
    "####.#####.####",
    "####.####..####",
    ".#.#.#####.##.#" /* A */,
    "##.#.###.#.###.",
    "####..#..#..###",
    "##.#.##.##.###.",
    "####..####..###",
    "####..####..#..",
    "####..#.##.####",
    "#.##.#####.##.#",
    "###.#..#..#.###",
    "..#..#..##.####",
    "#.##.###.#.##.#",
    "#..#..#..#..###",
    "#.#####.##.##.#",
    "##.#.##.##.##.#",
    "####.##.##.####",
    "####.#####..#..",
    "####.##.####..#",
    "##.#.###.#.##.#",
    "####..###..####",
    "###.#..#..#..#.",
    "#.##.##.##.####",
    "#.##.##.##.#.#.",
    "#.##.##.#####.#",
    "#.##.#.#.#.##.#",
    "#.##.#.#..#..#.",
    "###..#.#.#..###",
};

} // namespace

GlyphPixels solidGlyph(int width, int height) {
    return GlyphPixels{width, height, std::vector<uint8_t>(static_cast<size_t>(width * height), 1)};
}

fnd::Bytes fontColorBlock(uint32_t ink, uint8_t inkAlpha, uint32_t paper, uint8_t paperAlpha) {
    return paletteBlock({paper, ink}, {paperAlpha, inkAlpha});
}

fnd::Bytes buildFont(const std::vector<std::pair<uint8_t, uint8_t>>& ranges, const std::vector<GlyphPixels>& glyphs,
                     const std::vector<fnd::Bytes>& palettes, uint8_t flags, int bitDepth) {
    ArchiveBuilder archive(flags, bitDepth);
    for (const fnd::Bytes& block : palettes) {
        archive.addPaletteBlock(block);
    }
    for (const GlyphPixels& glyph : glyphs) {
        archive.addImage(glyph.width, glyph.height, glyph.indices, glyph.offsetX, glyph.offsetY);
    }
    return fontFile(ranges, archive.build());
}

fnd::Bytes pixelFont(uint32_t ink, uint8_t flags, int bitDepth, int scale) {
    scale = std::max(1, scale);
    const int cellWidth = 4 * scale;
    const int cellHeight = 7 * scale;
    std::vector<GlyphPixels> glyphs;
    for (std::string_view shape : kShapes) {
        GlyphPixels glyph{cellWidth, cellHeight, std::vector<uint8_t>(static_cast<size_t>(cellWidth * cellHeight), 0)};
        for (int y = scale; y < 6 * scale; ++y) {
            for (int x = 0; x < 3 * scale; ++x) {
                const int row = y / scale - 1;
                const int column = x / scale;
                if (shape[static_cast<size_t>(row * 3 + column)] == '#') {
                    glyph.indices[static_cast<size_t>(y * cellWidth + x)] = 1;
                }
            }
        }
        glyphs.push_back(std::move(glyph));
    }
    return buildFont({{32, 1}, {48, 10}, {65, 26}}, glyphs, {fontColorBlock(ink)}, flags, bitDepth);
}

} // namespace zelvan::gameart
