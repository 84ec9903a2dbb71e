// SyntheticMetrics: fixed per-code-point advances for layout tests, independent of any font file.
#include "platform/graphics/text_metrics.h"

namespace gfx {

bool SyntheticMetrics::isWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
}

bool SyntheticMetrics::isZeroWidth(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || // combining diacritical marks
           (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
           (c >= 0xFE00 && c <= 0xFE0F) || // variation selectors
           (c >= 0xFE20 && c <= 0xFE2F) || // combining half marks
           (c >= 0x200B && c <= 0x200F) || // zero-width space, joiners, direction marks
           (c >= 0x2060 && c <= 0x2064) || c == 0xFEFF;
}

void SyntheticMetrics::advances(const Font& font, std::u32string_view text, std::span<double> out) const {
    const double size = font.pointSize();
    const double narrow = (font.isBold() ? 0.60 : 0.55) * size;
    for (size_t i = 0; i < text.size() && i < out.size(); ++i) {
        const char32_t c = text[i];
        out[i] = isZeroWidth(c) ? 0 : isWide(c) ? size : narrow;
    }
}

double SyntheticMetrics::ascender(const Font& font) const {
    return font.pointSize();
}

double SyntheticMetrics::descender(const Font& font) const {
    return -0.2 * font.pointSize();
}

double SyntheticMetrics::lineHeight(const Font& font) const {
    return ceilPoints(1.2 * font.pointSize());
}

} // namespace gfx
