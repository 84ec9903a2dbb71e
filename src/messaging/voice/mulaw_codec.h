// The voice codec of calls: G.711 mu-law in its bias-and-segment form, one byte per 16-bit sample,
// with look-up tables for both directions and the silence test that keeps quiet recordings off the
// network.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zelvan::mulaw {

// One signed 16-bit sample to its mu-law byte (magnitudes above 32635 clip, -32768 keeps its sign).
uint8_t encode(int16_t sample);
// One mu-law byte to its linear sample.
int16_t decode(uint8_t byte);

// Entry u is the code of the sample whose bit pattern, read unsigned, is u. Built once, read-only.
const std::array<uint8_t, 65536>& encodes();
// Entry b is the sample of mu-law byte b. Built once, read-only.
const std::array<int16_t, 256>& decodes();

// Encodes n samples into n bytes and answers whether the block is silent: the variance of the
// samples' high bytes is below 1. An empty block is not silent.
bool encodedata(uint8_t* out, const int16_t* in, size_t n);
// Writes n samples, each the decoding of the matching byte.
void decodedata(int16_t* out, const uint8_t* in, size_t n);

} // namespace zelvan::mulaw
