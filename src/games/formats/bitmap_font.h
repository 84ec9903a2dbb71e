// vFont: a game's bitmap font. One glyph image per printable ASCII character held in a palette image
// archive whose palettes are the text colours; measures and draws strings with the font's own anchor
// rules and derives new colours from palette 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "games/formats/cng4.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/object.h"

namespace gfx {
class Context;
}

namespace zelvan {

// Font file: byte 0 is R, the number of character ranges; then R pairs (first code, count); then, to
// the end, a palette image archive (cng4.h) with the glyph images. Glyphs are numbered from 0 in file
// order over all ranges. Only codes 32-126 can be drawn; codes outside take a glyph number but are
// otherwise skipped.
//
// A colour palette block in the form addColor() derives from is 32 bytes: a PLTE chunk of two
// entries (bytes 11-13 the ink colour, CRC at 14) and a tRNS chunk of two alphas (byte 27 the ink
// alpha, CRC at 28).
//
// Not thread-safe: callers serialise use (the script engine's lock does).
class vFont : public fnd::Object {
public:
    static constexpr int kFirstCode = 32;
    static constexpr int kLastCode = 126;
    static constexpr size_t kGlyphSlots = kLastCode - kFirstCode + 1; // 95
    static constexpr int kNoGlyph = -1;
    static constexpr size_t kColorBlockLength = 32;

    // Parses a font file. When the ranges or the archive do not fit, the archive has no image or no
    // palette, or a drawable character's glyph is not in the archive, the error is a fnd::parseError
    // whose offset is in the font file: the ranges (1), the archive's own fault moved past the ranges,
    // the archive's start, or the range that gave the character its glyph. Nothing is logged.
    static fnd::Result<std::shared_ptr<vFont>> initWithIData(const fnd::Bytes& data);

    std::string className() const override { return "vFont"; }

    // The glyph number of a character code, or kNoGlyph.
    int glyphForCode(int code) const;
    // Advance width in pixels: the glyph's width; 0 outside 32-126 and for characters without a glyph.
    int charWidth(int code) const;
    // Sum of charWidth() over the UTF-16 code units of UTF-8 `str`.
    int64_t stringWidth(std::string_view str) const;

    // Draws `str` at (destx, desty) of a y-down screen of height `height` in palette colorID().
    // Anchors, keypad-like but by arithmetic: anchor % 3 == 0 moves x left by the string's width,
    // anchor % 3 == 2 by half of it; anchor < 4 moves y up by the line height, 4-6 by half of it.
    // Each drawable character is the archive image of its glyph drawn with the archive's anchor 7 at
    // its natural size; x then advances by its width. Other characters are skipped without advancing.
    // A glyph is decoded on its first draw in a colour and kept with the font (the archive's cache).
    void drawString(gfx::Context& context, std::string_view str, int destx, int desty, int anchor, int height);

    // Appends a palette derived from palette 0 with ink colour `color` (0xRRGGBB) and ink alpha
    // `alpha` (clamped to 0-255), and returns its index (the new colour's index). -1, with an ERROR
    // line, when palette 0 is not a 32-byte colour block or the archive refuses another palette.
    int addColor(int color, int alpha);
    // A copy of the 32-byte colour block `plte` with the ink colour and ink alpha changed where they
    // differ from the old ones, with fresh CRCs for what changed. nullopt for a block of another form.
    static std::optional<fnd::Bytes> setColor(const fnd::Bytes& plte, int oldColor, int oldAlpha, int color, int alpha);
    // Selects the palette used for drawing. An index without a palette is refused (false and an
    // ERROR line) and the selection stays.
    bool setColorIndex(int index);
    // Pre-decodes glyphs: the archive's buffer(image, palette).
    void buffer(int image, int palette);

    // Line height: the height of glyph 0.
    int height() const { return height_; }
    int colorID() const { return colorID_; }
    // Ink colour (0xRRGGBB) and ink alpha of each palette, by palette index.
    const std::vector<int>& colors() const { return colors_; }
    const std::vector<int>& alphas() const { return alphas_; }
    CNG4& cng() const { return *cng_; }

    // Public so std::make_shared can construct; use initWithIData.
    struct Private;
    explicit vFont(const Private&);

private:
    // Ink colour and alpha of a 32-byte colour block; nullopt for a block of another form.
    static std::optional<std::pair<int, int>> inkOf(const fnd::Bytes& plte);

    // Glyph number for codes 32-126, kNoGlyph where there is none. Wider than a byte, so fonts with
    // more than 255 glyphs do not wrap.
    std::array<int, kGlyphSlots> ids_{};
    std::shared_ptr<CNG4> cng_;
    std::vector<int> colors_;
    std::vector<int> alphas_;
    int height_ = 0;
    int colorID_ = 0;
};

} // namespace zelvan
