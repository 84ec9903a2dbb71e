// Colour texts of the animation library, scanned as one hexadecimal number the way the library's
// writers expect (leading blanks and an optional "0x" skipped, overflow saturating).
#include "ads/marlin/animation/mn_color.h"

#include <cstdint>
#include <string>

namespace zelvan::marlin {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

uint32_t scanHex(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) {
        ++i;
    }
    const std::string_view prefix = text.substr(i, 2);
    if ((prefix == "0x" || prefix == "0X") && i + 2 < text.size() && hexDigit(text[i + 2]) >= 0) {
        i += 2;
    }
    uint64_t v = 0;
    bool overflow = false;
    for (; i < text.size(); ++i) {
        const int digit = hexDigit(text[i]);
        if (digit < 0) {
            break;
        }
        v = v * 16 + static_cast<uint64_t>(digit);
        if (v > UINT32_MAX) {
            overflow = true;
            v = UINT32_MAX;
        }
    }
    return overflow ? UINT32_MAX : static_cast<uint32_t>(v);
}

} // namespace

gfx::Color MNColorFromString(std::string_view text) {
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    }
    const uint32_t v = scanHex(text);
    const float r = static_cast<float>(v >> 24) / 255.0f;
    const float g = static_cast<float>((v >> 16) & 255) / 255.0f;
    const float b = static_cast<float>((v >> 8) & 255) / 255.0f;
    const float a = static_cast<float>(v & 255) / 255.0f;
    return gfx::Color(r, g, b, a);
}

gfx::Color MNColorFromLiteralKey(std::string_view key) {
    // A key shorter than seven characters keeps what it has rather than reading past its end.
    std::string text(key.substr(0, 7));
    text += "FF";
    return MNColorFromString(text);
}

} // namespace zelvan::marlin
