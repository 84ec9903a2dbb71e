// Fuzz target: any bytes as a bitmap font file give a font or a clean null. A font that parses is
// measured, drawn in a few strings and anchors into a bitmap buffer and a screen context, given new
// colours and colour selections; none of it may crash or read outside its storage.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "games/engine/natives/drawing_helpers.h"
#include "games/formats/bitmap_font.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"
#include "platform/graphics/context.h"

namespace {

// Glyphs are decoded on every draw; larger ones only cost time without reaching new code.
constexpr int kMaxDrawnSide = 256;

bool smallGlyphs(const zelvan::CNG4& cng) {
    for (int i = 0; i < cng.getImageCount(); ++i) {
        if (cng.getWidth(i) > kMaxDrawnSide || cng.getHeight(i) > kMaxDrawnSide) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    auto parsed = zelvan::vFont::initWithIData(fnd::Bytes(data, data + size));
    if (!parsed) {
        // A refusal names a place inside the input.
        if (fnd::parseErrorOffset(parsed.error()).value_or(size + 1) > size) {
            std::abort();
        }
        return 0;
    }
    std::shared_ptr<zelvan::vFont> font = std::move(parsed).value();
    const std::string_view strings[] = {"AB 09", "Hello, world!", "~ \x7F\xC3\xA9\xF0\x9F\x98\x80z", ""};
    int64_t total = 0;
    for (std::string_view s : strings) {
        int64_t width = font->stringWidth(s);
        if (width < 0) {
            std::abort();
        }
        total += width;
    }
    for (int code = -1; code <= 128; ++code) {
        const int glyph = font->glyphForCode(code);
        if (glyph != zelvan::vFont::kNoGlyph && (glyph < 0 || glyph >= font->cng().getImageCount())) {
            std::abort();
        }
        if (font->charWidth(code) < 0) {
            std::abort();
        }
    }

    const int colour = font->addColor(static_cast<int>(total * 2654435761u), static_cast<int>(size) - 100);
    if (colour >= 0 && (colour >= font->cng().paletteCount() || font->colors().size() != font->alphas().size())) {
        std::abort();
    }
    font->setColorIndex(colour);
    font->setColorIndex(static_cast<int>(size % 5) - 1);

    if (smallGlyphs(font->cng())) {
        std::shared_ptr<gfx::BitmapContext> buffer = zelvan::MyCreateBitmapContext(48, 32);
        std::shared_ptr<gfx::Context> screen = gfx::Context::createView(40, 30);
        if (!buffer || !screen) {
            std::abort();
        }
        font->buffer(0, -1);
        int anchor = 0;
        for (std::string_view s : strings) {
            font->drawString(*buffer, s, 24, 16, anchor++, buffer->height());
            font->drawString(*screen, s, -5, 29, anchor++ - 5, screen->height());
        }
        font->drawString(*screen, strings[0], 2147483647, -2147483647 - 1, 3, screen->height());
    }
    return 0;
}
