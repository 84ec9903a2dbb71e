// Keeps played bytes per stream and serves pushed PCM (then silence) to recording queues.
#include "platform/media/testing/memory_device.h"

#include <algorithm>

namespace media::testing {

void MemoryDevice::write(StreamId stream, const StreamFormat& format, std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    fnd::append(output_[stream], bytes);
    formats_[stream] = format;
}

void MemoryDevice::read(StreamId, const StreamFormat&, std::span<uint8_t> out) {
    std::lock_guard lock(mutex_);
    size_t n = std::min(out.size(), input_.size());
    std::copy_n(input_.begin(), n, out.begin());
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(n), out.end(), uint8_t{0});
}

fnd::Bytes MemoryDevice::output(StreamId stream) const {
    std::lock_guard lock(mutex_);
    auto it = output_.find(stream);
    return it == output_.end() ? fnd::Bytes{} : it->second;
}

std::optional<StreamFormat> MemoryDevice::outputFormat(StreamId stream) const {
    std::lock_guard lock(mutex_);
    auto it = formats_.find(stream);
    return it == formats_.end() ? std::nullopt : std::optional<StreamFormat>(it->second);
}

std::vector<StreamId> MemoryDevice::outputStreams() const {
    std::lock_guard lock(mutex_);
    std::vector<StreamId> ids;
    for (const auto& [id, bytes] : output_) {
        ids.push_back(id);
    }
    return ids;
}

void MemoryDevice::clearOutput() {
    std::lock_guard lock(mutex_);
    output_.clear();
    formats_.clear();
}

void MemoryDevice::pushInput(std::span<const uint8_t> pcm) {
    std::lock_guard lock(mutex_);
    input_.insert(input_.end(), pcm.begin(), pcm.end());
}

size_t MemoryDevice::pendingInput() const {
    std::lock_guard lock(mutex_);
    return input_.size();
}

} // namespace media::testing
