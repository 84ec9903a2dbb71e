// The received voice waiting to be played: appends capped at two seconds, drains decoded into
// 16-bit output buffers.
#include "messaging/voice/voice_play_buffer.h"

#include <algorithm>
#include <cstring>

#include "messaging/voice/mulaw_codec.h"

namespace zelvan {

void VoicePlayBuffer::append(const uint8_t* data, size_t length) {
    if (data == nullptr || length == 0) {
        return;
    }
    std::lock_guard lock(mutex_);
    // Only the newest kMaxBytes of this piece can stay.
    if (length > kMaxBytes) {
        dropped_ += length - kMaxBytes;
        data += length - kMaxBytes;
        length = kMaxBytes;
    }
    bytes_.insert(bytes_.end(), data, data + length);
    if (bytes_.size() > kMaxBytes) {
        const size_t excess = bytes_.size() - kMaxBytes;
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(excess));
        dropped_ += excess;
    }
}

uint32_t VoicePlayBuffer::fill(uint8_t* out, uint32_t capacity) {
    std::lock_guard lock(mutex_);
    if (bytes_.empty()) {
        std::memset(out, 0, capacity);
        return capacity;
    }
    const size_t k = std::min<size_t>(bytes_.size(), capacity / 2);
    const auto& table = mulaw::decodes();
    for (size_t i = 0; i < k; ++i) {
        // Byte-wise stores: the output memory need not be aligned for 16-bit access.
        std::memcpy(out + 2 * i, &table[bytes_[i]], sizeof(int16_t));
    }
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(k));
    return static_cast<uint32_t>(2 * k);
}

void VoicePlayBuffer::clear() {
    std::lock_guard lock(mutex_);
    bytes_.clear();
}

size_t VoicePlayBuffer::size() const {
    std::lock_guard lock(mutex_);
    return bytes_.size();
}

uint64_t VoicePlayBuffer::dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

} // namespace zelvan
