// Builders for bitmap fonts, next to the archive builders: the 32-byte colour blocks fonts use,
// font files from glyphs given as raw pixel indices, and a small legible pixel font.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/foundation/bytes.h"

namespace zelvan::gameart {

// A glyph image: palette indices (0 paper, 1 ink), width x height, top row first.
struct GlyphPixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;
    int offsetX = 0;
    int offsetY = 0;
};

// A glyph with every pixel ink.
GlyphPixels solidGlyph(int width, int height);

// The 32-byte colour block of a font: PLTE with paper and ink, tRNS with their alphas.
fnd::Bytes fontColorBlock(uint32_t ink, uint8_t inkAlpha = 255, uint32_t paper = 0xFFFFFF, uint8_t paperAlpha = 0);

// A font file: `ranges`, then an archive (flags and bit depth as ArchiveBuilder takes them) of the
// palette blocks and the glyphs in order.
fnd::Bytes buildFont(const std::vector<std::pair<uint8_t, uint8_t>>& ranges, const std::vector<GlyphPixels>& glyphs,
                     const std::vector<fnd::Bytes>& palettes = {fontColorBlock(0x000000)}, uint8_t flags = 0,
                     int bitDepth = 8);

// A legible font of space, the digits and the capital letters: 3x5 letters in 4x7 cells (a column of
// spacing on the right, a row above and below), ranges (32, 1), (48, 10), (65, 26). With `scale` > 1
// every pixel becomes a square of that side.
fnd::Bytes pixelFont(uint32_t ink = 0x000000, uint8_t flags = 0, int bitDepth = 8, int scale = 1);

} // namespace zelvan::gameart
