// Decodes a sound file held in memory (any format the installed libsndfile reads: WAV, AIFF, CAF,
// OGG, FLAC, MP3, ...) into interleaved signed 16-bit PCM.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/foundation/error.h"

namespace media {

struct DecodedSound {
    int sampleRate = 0;
    int channels = 0;
    // Interleaved samples, channels per frame.
    std::vector<int16_t> samples;

    int64_t frames() const { return channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0; }
    double duration() const { return sampleRate > 0 ? static_cast<double>(frames()) / sampleRate : 0.0; }
};

class SoundDecoder {
public:
    // Sounds longer than this many samples are cut to it (with a log line), which bounds the
    // memory a small compressed file can claim.
    static constexpr size_t kMaxSamples = 32u << 20;
    static constexpr int kMaxChannels = 16;

    // The decoded sound, or an error (domain "media.SoundDecoder") whose text says why the bytes
    // are not a sound. Never trusts the bytes.
    static fnd::Result<DecodedSound> decode(std::span<const uint8_t> bytes);
};

} // namespace media
