// The description of a linear PCM stream (rate, sample layout, frame and packet sizes) that audio
// queues and devices exchange, with the voice format the call engine records and plays.
#pragma once

#include <cstdint>

namespace media {

// Format flags of linear PCM, as stored in `StreamFormat::formatFlags`.
namespace FormatFlags {
inline constexpr uint32_t Float = 0x1;
inline constexpr uint32_t SignedInteger = 0x4;
inline constexpr uint32_t Packed = 0x8;
} // namespace FormatFlags

struct StreamFormat {
    double sampleRate = 0;
    uint32_t formatFlags = 0;
    uint32_t bitsPerChannel = 0;
    uint32_t channelsPerFrame = 0;
    uint32_t bytesPerFrame = 0;
    uint32_t bytesPerPacket = 0;
    uint32_t framesPerPacket = 0;

    // Packed signed 16-bit PCM at `rate` with `channels` interleaved channels.
    static StreamFormat pcm16(double rate, uint32_t channels) {
        uint32_t frame = 2 * channels;
        return StreamFormat{rate, FormatFlags::SignedInteger | FormatFlags::Packed, 16, channels, frame, frame, 1};
    }
    // 8000 Hz, flags 12, 16-bit mono: 2 bytes per frame and per packet, 1 frame per packet.
    static StreamFormat voice() { return pcm16(8000, 1); }

    // Whether a queue can pace this format: a positive finite rate and non-zero frame sizes.
    bool isValid() const {
        return sampleRate > 0 && sampleRate < 1e7 && bytesPerFrame > 0 && bytesPerPacket > 0 && framesPerPacket > 0 &&
               channelsPerFrame > 0;
    }
    // Whether samples are packed signed 16-bit integers (the layout volume scaling and the WAV
    // sink understand).
    bool isSigned16() const {
        return bitsPerChannel == 16 && (formatFlags & FormatFlags::SignedInteger) != 0 &&
               (formatFlags & FormatFlags::Float) == 0 && bytesPerFrame == 2 * channelsPerFrame;
    }
    // Seconds that `bytes` of this format take to play.
    double secondsFor(uint64_t bytes) const {
        return isValid() ? static_cast<double>(bytes) / (static_cast<double>(bytesPerFrame) * sampleRate) : 0.0;
    }

    bool operator==(const StreamFormat&) const = default;
};

} // namespace media
