// The sound device behind audio queues and players: an output sink that receives what was played
// and an input source that recording queues read from. Implementations are chosen in backends.h.
#pragma once

#include <cstdint>
#include <span>

#include "platform/media/stream_format.h"

namespace media {

// Every queue and player writes under its own stream id, so a device can tell the streams apart.
using StreamId = uint64_t;

// Hands out process-unique stream ids, starting at 1. Safe from any thread.
StreamId nextStreamId();

class AudioDevice {
public:
    virtual ~AudioDevice() = default;

    // Receives `bytes` that stream `stream` finished playing, in `format`. Called from queue
    // threads and the main thread, possibly at the same time.
    virtual void write(StreamId stream, const StreamFormat& format, std::span<const uint8_t> bytes) = 0;

    // Fills all of `out` with recorded audio in `format` for stream `stream`; silence (zero
    // bytes) where nothing was recorded. Called from queue threads.
    virtual void read(StreamId stream, const StreamFormat& format, std::span<uint8_t> out) = 0;
};

} // namespace media
