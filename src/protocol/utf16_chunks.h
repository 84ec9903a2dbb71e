// Eight big-endian UTF-16 units at a time, for the codec's reader: which of them are ASCII, and their low
// bytes. With SSE2 each is a few vector instructions; the plain forms are the same in portable C++, used
// where SSE2 is missing and compiled everywhere, so that the tests check them against the ones in use.
#pragma once

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zelvan::utf16_chunks {

// Of the eight units (sixteen bytes) at `in`, a mask with two bits per unit, both set when the unit is
// ASCII: bit 2k when unit k's high byte is zero, bit 2k + 1 when its low byte is below 0x80.
inline unsigned asciiMaskPlain(const uint8_t* in) {
    unsigned mask = 0;
    for (unsigned b = 0; b < 16; ++b) {
        if ((in[b] & (b % 2 == 0 ? 0xFF : 0x80)) == 0) {
            mask |= 1u << b;
        }
    }
    return mask;
}

// Stores the low bytes of the eight units at `in` (their text, when they are ASCII) as eight bytes at `out`.
inline void storeLowBytesPlain(const uint8_t* in, char* out) {
    for (int k = 0; k < 8; ++k) {
        out[k] = static_cast<char>(in[2 * k + 1]);
    }
}

inline unsigned asciiMask(const uint8_t* in) {
#if defined(__SSE2__)
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    __m128i nonAscii = _mm_and_si128(chunk, _mm_set1_epi16(static_cast<short>(0x80FF)));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(nonAscii, _mm_setzero_si128())));
#else
    return asciiMaskPlain(in);
#endif
}

inline void storeLowBytes(const uint8_t* in, char* out) {
#if defined(__SSE2__)
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(_mm_srli_epi16(chunk, 8), chunk));
#else
    storeLowBytesPlain(in, out);
#endif
}

// How many of the eight units a mask of asciiMask describes are ASCII before the first that is not.
inline unsigned leadingAscii(unsigned mask) {
    return static_cast<unsigned>(std::countr_one(mask & 0xFFFFu)) / 2;
}

} // namespace zelvan::utf16_chunks
