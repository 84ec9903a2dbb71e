// VoicePlayBuffer: the mu-law bytes a call's relay has sent and the speaker has not played yet. The
// network thread appends, the output queue's thread drains one buffer at a time; the oldest bytes
// give way once two seconds are waiting, so a relay sending too fast cannot grow memory or delay.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

#include "platform/foundation/bytes.h"

namespace zelvan {

class VoicePlayBuffer {
public:
    // Two seconds of 8 kHz mu-law.
    static constexpr size_t kMaxBytes = 16000;

    // Appends `length` bytes, then drops the oldest beyond kMaxBytes.
    void append(const uint8_t* data, size_t length);
    // Fills one output buffer of `capacity` bytes of 16-bit PCM: up to capacity / 2 waiting bytes
    // decoded (and removed), or, with nothing waiting, `capacity` bytes of silence. Returns the
    // byte count to play.
    uint32_t fill(uint8_t* out, uint32_t capacity);
    void clear();
    size_t size() const;
    // Bytes dropped by the cap since the buffer was made.
    uint64_t dropped() const;

private:
    mutable std::mutex mutex_;
    fnd::Bytes bytes_;
    uint64_t dropped_ = 0;
};

} // namespace zelvan
