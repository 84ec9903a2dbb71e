// The mu-law encoder and decoder, their tables and the silence test of recorded blocks.
#include "messaging/voice/mulaw_codec.h"

namespace zelvan::mulaw {

namespace {

constexpr int kBias = 0x84;
constexpr int kClip = 32635;

} // namespace

uint8_t encode(int16_t sample) {
    int value = sample;
    const int sign = value < 0 ? 0x80 : 0;
    int magnitude = value < 0 ? -value : value;
    if (magnitude > kClip) {
        magnitude = kClip;
    }
    magnitude += kBias;
    int exponent = 7;
    for (int mask = 0x4000; (magnitude & mask) == 0 && exponent > 0; mask >>= 1) {
        --exponent;
    }
    const int mantissa = (magnitude >> (exponent + 3)) & 0x0F;
    return static_cast<uint8_t>(~(sign | (exponent << 4) | mantissa) & 0xFF);
}

int16_t decode(uint8_t byte) {
    const int c = ~byte & 0xFF;
    const int t = (((c & 0x0F) << 3) + kBias) << ((c >> 4) & 7);
    return static_cast<int16_t>((c & 0x80) != 0 ? kBias - t : t - kBias);
}

const std::array<uint8_t, 65536>& encodes() {
    static const std::array<uint8_t, 65536> table = [] {
        std::array<uint8_t, 65536> t{};
        for (size_t u = 0; u < t.size(); ++u) {
            t[u] = encode(static_cast<int16_t>(static_cast<uint16_t>(u)));
        }
        return t;
    }();
    return table;
}

const std::array<int16_t, 256>& decodes() {
    static const std::array<int16_t, 256> table = [] {
        std::array<int16_t, 256> t{};
        for (size_t b = 0; b < t.size(); ++b) {
            t[b] = decode(static_cast<uint8_t>(b));
        }
        return t;
    }();
    return table;
}

bool encodedata(uint8_t* out, const int16_t* in, size_t n) {
    const auto& table = encodes();
    int64_t sum = 0;
    for (size_t i = 0; i < n; ++i) {
        out[i] = table[static_cast<uint16_t>(in[i])];
        sum += in[i] >> 8;
    }
    if (n == 0) {
        return false;
    }
    const auto count = static_cast<int64_t>(n);
    const int64_t mean = sum / count;
    int64_t squares = 0;
    for (size_t i = 0; i < n; ++i) {
        const int64_t d = (in[i] >> 8) - mean;
        squares += d * d;
    }
    return squares / count < 1;
}

void decodedata(int16_t* out, const uint8_t* in, size_t n) {
    const auto& table = decodes();
    for (size_t i = 0; i < n; ++i) {
        out[i] = table[in[i]];
    }
}

} // namespace zelvan::mulaw
