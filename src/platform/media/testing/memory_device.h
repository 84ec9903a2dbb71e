// A sound device for tests: it keeps every stream's played bytes, and records from PCM the test
// pushes in (silence once that runs dry).
#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/media/audio_device.h"

namespace media::testing {

class MemoryDevice final : public media::AudioDevice {
public:
    void write(StreamId stream, const StreamFormat& format, std::span<const uint8_t> bytes) override;
    void read(StreamId stream, const StreamFormat& format, std::span<uint8_t> out) override;

    // Everything stream `stream` played so far, in order (empty for an unknown stream).
    fnd::Bytes output(StreamId stream) const;
    // The format stream `stream` last wrote in.
    std::optional<StreamFormat> outputFormat(StreamId stream) const;
    // The streams that have written, in order of their ids.
    std::vector<StreamId> outputStreams() const;
    void clearOutput();

    // Queues PCM for recording queues to read; several streams reading share the one source.
    void pushInput(std::span<const uint8_t> pcm);
    size_t pendingInput() const;

private:
    mutable std::mutex mutex_;
    std::map<StreamId, fnd::Bytes> output_;
    std::map<StreamId, StreamFormat> formats_;
    std::deque<uint8_t> input_;
};

} // namespace media::testing
