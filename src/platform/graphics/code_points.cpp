// UTF-8 <-> code points through fnd's UTF-16 conversions.
#include "platform/graphics/code_points.h"

#include "platform/foundation/utf16.h"

namespace gfx {

std::u32string codePointsOf(std::string_view utf8) {
    const std::u16string units = fnd::toUtf16(utf8);
    std::u32string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            out.push_back(0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out.push_back(0xFFFD); // fnd never produces a lone half; kept safe anyway
        } else {
            out.push_back(u);
        }
    }
    return out;
}

std::string utf8Of(std::u32string_view codePoints) {
    std::u16string units;
    units.reserve(codePoints.size());
    for (char32_t c : codePoints) {
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else if (c > 0x10FFFF) {
            units.push_back(u'\uFFFD');
        } else {
            units.push_back(static_cast<char16_t>(c)); // a lone surrogate becomes U+FFFD in fromUtf16
        }
    }
    return fnd::fromUtf16(units);
}

} // namespace gfx
