// The reader's eight-unit steps over UTF-16 text: the plain forms, used where SSE2 is missing, agree with the
// ones in use, and the count of leading ASCII units is that of a unit-by-unit look.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>

#include "protocol/utf16_chunks.h"

namespace zelvan::utf16_chunks {
namespace {

TEST(Utf16ChunksTest, PlainFormsAgreeWithTheOnesInUse) {
    // Units at the edges of ASCII in either byte, and surrogates, in every mix and position.
    const uint16_t units[] = {0x0000, 0x0041, 0x007F, 0x0080, 0x00FF, 0x0100, 0x4100, 0x7F7F, 0xD83D, 0xFFFF};
    std::mt19937 random(20240607);
    for (int round = 0; round < 4000; ++round) {
        uint8_t chunk[16];
        unsigned ascii = 8;
        for (unsigned k = 0; k < 8; ++k) {
            uint16_t unit = units[random() % std::size(units)];
            chunk[2 * k] = static_cast<uint8_t>(unit >> 8);
            chunk[2 * k + 1] = static_cast<uint8_t>(unit);
            if (unit >= 0x80 && ascii == 8) {
                ascii = k;
            }
        }
        unsigned mask = asciiMask(chunk);
        EXPECT_EQ(mask, asciiMaskPlain(chunk));
        EXPECT_EQ(leadingAscii(mask), ascii);
        char fast[8];
        char plain[8];
        storeLowBytes(chunk, fast);
        storeLowBytesPlain(chunk, plain);
        EXPECT_EQ(std::memcmp(fast, plain, sizeof fast), 0);
        EXPECT_EQ(static_cast<uint8_t>(plain[7]), chunk[15]);
    }
}

} // namespace
} // namespace zelvan::utf16_chunks
