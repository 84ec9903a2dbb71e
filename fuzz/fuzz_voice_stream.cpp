// Fuzz target: the bytes a voice relay sends, as chunks of any size interleaved with the speaker's
// buffer requests of assorted capacities. Nothing may crash; the waiting bytes never pass two
// seconds; every filled buffer decodes exactly the oldest waiting bytes (checked against a plain
// model of the buffer) or is silence when nothing waits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

#include "messaging/voice/mulaw_codec.h"
#include "messaging/voice/voice_play_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr uint32_t kCapacities[] = {0, 1, 2, 3, 64, 2048, 4096};
    zelvan::VoicePlayBuffer buffer;
    std::deque<uint8_t> model;
    std::vector<uint8_t> out(4096);
    size_t at = 0;
    while (at < size) {
        const uint8_t op = data[at++];
        if ((op & 1) == 0) {
            // A relay chunk: up to 127 * 160 bytes taken from the input (with wrap-around).
            const size_t length = static_cast<size_t>(op >> 1) * 160;
            std::vector<uint8_t> chunk(length);
            for (size_t i = 0; i < length && size > 0; ++i) {
                chunk[i] = data[(at + i) % size];
            }
            buffer.append(chunk.data(), chunk.size());
            model.insert(model.end(), chunk.begin(), chunk.end());
            while (model.size() > zelvan::VoicePlayBuffer::kMaxBytes) {
                model.pop_front();
            }
        } else {
            const uint32_t capacity = kCapacities[(op >> 1) % (sizeof kCapacities / sizeof kCapacities[0])];
            const uint32_t bytes = buffer.fill(out.data(), capacity);
            if (bytes > capacity) {
                std::abort();
            }
            if (model.empty()) {
                for (uint32_t i = 0; i < bytes; ++i) {
                    if (out[i] != 0) {
                        std::abort();
                    }
                }
            } else {
                if (bytes % 2 != 0 || bytes / 2 > model.size()) {
                    std::abort();
                }
                for (uint32_t i = 0; i < bytes / 2; ++i) {
                    int16_t sample = 0;
                    std::memcpy(&sample, out.data() + 2 * i, sizeof sample);
                    if (sample != zelvan::mulaw::decode(model.front())) {
                        std::abort();
                    }
                    model.pop_front();
                }
            }
        }
        if (buffer.size() > zelvan::VoicePlayBuffer::kMaxBytes || buffer.size() != model.size()) {
            std::abort();
        }
    }
    return 0;
}
