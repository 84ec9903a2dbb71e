// The message alert sound as WAV bytes, synthesised so the bundle needs no recorded audio.
#include "tools/artgen/sound_art.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace zelvan::artgen {

namespace {

constexpr int kRate = 22050;

void put16(fnd::Bytes& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(fnd::Bytes& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v & 0xFFFF));
    put16(out, static_cast<uint16_t>(v >> 16));
}

void tag(fnd::Bytes& out, const char* fourcc) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(fourcc[i]));
    }
}

} // namespace

fnd::Bytes messageSoundWav() {
    // Two tones of 90 ms (880 Hz, then 1320 Hz).
    return toneSequenceWav({880.0, 1320.0}, 90);
}

fnd::Bytes toneSequenceWav(const std::vector<double>& frequencies, int toneMilliseconds) {
    const int toneFrames = kRate * toneMilliseconds / 1000;
    const int fadeFrames = std::max(1, std::min(kRate * 10 / 1000, toneFrames / 2));
    std::vector<int16_t> samples;
    for (double frequency : frequencies) {
        for (int i = 0; i < toneFrames; ++i) {
            const double edge = std::min(
                {1.0, static_cast<double>(i) / fadeFrames, static_cast<double>(toneFrames - 1 - i) / fadeFrames});
            const double s = std::sin(2.0 * std::numbers::pi * frequency * i / kRate) * edge * 0.4;
            samples.push_back(static_cast<int16_t>(std::lround(s * 32767.0)));
        }
    }
    const auto dataBytes = static_cast<uint32_t>(samples.size() * 2);
    fnd::Bytes out;
    tag(out, "RIFF");
    put32(out, 36 + dataBytes);
    tag(out, "WAVE");
    tag(out, "fmt ");
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, kRate);
    put32(out, kRate * 2);
    put16(out, 2);
    put16(out, 16);
    tag(out, "data");
    put32(out, dataBytes);
    for (int16_t s : samples) {
        put16(out, static_cast<uint16_t>(s));
    }
    return out;
}

} // namespace zelvan::artgen
