// Text measurement behind one interface: per-code-point advances and vertical metrics of a font.
// FreeTypeMetrics reads the DejaVu files; SyntheticMetrics gives fixed, font-free numbers for layout
// tests. Both are pure and safe from any thread.
#pragma once

#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "platform/graphics/font.h"

namespace gfx {

class TextMetrics {
public:
    virtual ~TextMetrics() = default;

    // Writes the advance (in points) of each code point of `text` to `out`, which has the same length.
    virtual void advances(const Font& font, std::u32string_view text, std::span<double> out) const = 0;
    // Distance from the baseline to the top of the line (positive).
    virtual double ascender(const Font& font) const = 0;
    // Distance from the baseline to the bottom of the line (negative).
    virtual double descender(const Font& font) const = 0;
    // Whole points from one baseline to the next.
    virtual double lineHeight(const Font& font) const = 0;

    double advance(const Font& font, char32_t codePoint) const;
    // Sum of the advances of the code points of UTF-8 text (ill-formed bytes read as U+FFFD).
    double width(const Font& font, std::string_view utf8) const;
};

// Unhinted linear advances of the DejaVu Sans faces: no kerning and no shaping; a code point the face
// lacks takes the advance of its notdef glyph. Vertical metrics come from the hhea table:
// lineHeight = ceil((ascender - descender + lineGap) * size / unitsPerEm). Design-unit advances are
// cached per face (an advance at a size is that times size / unitsPerEm, which is what the linear
// advance is); one mutex guards the FreeType objects and the cache.
class FreeTypeMetrics : public TextMetrics {
public:
    FreeTypeMetrics();
    ~FreeTypeMetrics() override;
    FreeTypeMetrics(const FreeTypeMetrics&) = delete;
    FreeTypeMetrics& operator=(const FreeTypeMetrics&) = delete;

    void advances(const Font& font, std::u32string_view text, std::span<double> out) const override;
    double ascender(const Font& font) const override;
    double descender(const Font& font) const override;
    double lineHeight(const Font& font) const override;

private:
    struct FaceData;
    FaceData& face(const Font& font) const;

    mutable std::mutex mutex_;
    void* library_ = nullptr; // FT_Library
    std::unique_ptr<FaceData> faces_[2];
};

// Font-free metrics for layout tests: 0.55 x size per code point (0.60 for bold), 1.0 x size for East
// Asian wide characters, 0 for combining marks and zero-width characters; ascender = size,
// descender = -0.2 x size, lineHeight = ceil(1.2 x size).
class SyntheticMetrics : public TextMetrics {
public:
    void advances(const Font& font, std::u32string_view text, std::span<double> out) const override;
    double ascender(const Font& font) const override;
    double descender(const Font& font) const override;
    double lineHeight(const Font& font) const override;

    // Whether the code point is East Asian wide (advance 1.0 x size).
    static bool isWide(char32_t c);
    // Whether the code point is a combining mark or zero-width character (advance 0).
    static bool isZeroWidth(char32_t c);
};

// Rounds up to whole points, ignoring the last few bits of floating-point noise (so 0.55 x 14 x 10
// measures 77, not 78).
double ceilPoints(double v);

} // namespace gfx
