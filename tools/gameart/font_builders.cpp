// Bitmap font builders: colour blocks, font files from raw glyph pixels, a small pixel font.
#include "tools/gameart/font_builders.h"

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

fnd::Bytes pixelFont(uint32_t ink, uint8_t flags, int bitDepth) {
    constexpr int kCellWidth = 4;
    constexpr int kCellHeight = 7;
    std::vector<GlyphPixels> glyphs;
    for (std::string_view shape : kShapes) {
        GlyphPixels glyph{kCellWidth, kCellHeight, std::vector<uint8_t>(kCellWidth * kCellHeight, 0)};
        for (int row = 0; row < 5; ++row) {
            for (int column = 0; column < 3; ++column) {
                if (shape[static_cast<size_t>(row * 3 + column)] == '#') {
                    glyph.indices[static_cast<size_t>((row + 1) * kCellWidth + column)] = 1;
                }
            }
        }
        glyphs.push_back(std::move(glyph));
    }
    return buildFont({{32, 1}, {48, 10}, {65, 26}}, glyphs, {fontColorBlock(ink)}, flags, bitDepth);
}

} // namespace zelvan::gameart
