// Internal helpers shared by the image code and the codecs: premultiplying and unpremultiplying
// 8-bit channels, and writing one B,G,R,A pixel.
#pragma once

#include <cstdint>

namespace gfx::pixel {

// c * a / 255, rounded to nearest.
inline uint8_t premultiply(uint32_t c, uint32_t a) {
    uint32_t t = c * a + 128;
    return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

// c * 255 / a, rounded to nearest and clamped (0 when a is 0).
inline uint8_t unpremultiply(uint32_t c, uint32_t a) {
    if (a == 0) {
        return 0;
    }
    uint32_t v = (c * 255 + a / 2) / a;
    return static_cast<uint8_t>(v > 255 ? 255 : v);
}

// Writes an unpremultiplied colour as premultiplied B,G,R,A.
inline void storeBgra(uint8_t* out, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    out[0] = premultiply(b, a);
    out[1] = premultiply(g, a);
    out[2] = premultiply(r, a);
    out[3] = static_cast<uint8_t>(a);
}

} // namespace gfx::pixel
