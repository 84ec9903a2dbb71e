// Shared fixtures of the drawing tests: the 2x2 image with four distinct corner colours that pins
// every image placement rule, and pixel comparison with a tolerance for anti-aliased values.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/graphics/color.h"
#include "platform/graphics/image.h"

namespace gfx::testing {

inline constexpr Rgba8 kRed{255, 0, 0, 255};
inline constexpr Rgba8 kGreen{0, 255, 0, 255};
inline constexpr Rgba8 kBlue{0, 0, 255, 255};
inline constexpr Rgba8 kWhite{255, 255, 255, 255};
inline constexpr Rgba8 kBlack{0, 0, 0, 255};
inline constexpr Rgba8 kClear{0, 0, 0, 0};

// Top-left red, top-right green, bottom-left blue, bottom-right white.
inline ImagePtr fourCornerImage() {
    fnd::Bytes px = {
        0,   0, 255, 255, 0,   255, 0,   255, // top row: red, green (B,G,R,A)
        255, 0, 0,   255, 255, 255, 255, 255, // bottom row: blue, white
    };
    return Image::fromPixels(2, 2, std::move(px));
}

inline ::testing::AssertionResult near(Rgba8 actual, Rgba8 expected, int tolerance) {
    auto off = [&](uint8_t a, uint8_t b) { return std::abs(int(a) - int(b)) > tolerance; };
    if (off(actual.r, expected.r) || off(actual.g, expected.g) || off(actual.b, expected.b) ||
        off(actual.a, expected.a)) {
        return ::testing::AssertionFailure()
               << "pixel (" << int(actual.r) << "," << int(actual.g) << "," << int(actual.b) << "," << int(actual.a)
               << ") expected (" << int(expected.r) << "," << int(expected.g) << "," << int(expected.b) << ","
               << int(expected.a) << ") +-" << tolerance;
    }
    return ::testing::AssertionSuccess();
}

} // namespace gfx::testing

namespace gfx {
inline void PrintTo(const Rgba8& p, std::ostream* os) {
    *os << "(" << int(p.r) << "," << int(p.g) << "," << int(p.b) << "," << int(p.a) << ")";
}
} // namespace gfx
