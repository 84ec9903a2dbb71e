// The default sound device: discards everything played and records silence.
#pragma once

#include "platform/media/audio_device.h"

namespace media {

class NullDevice final : public AudioDevice {
public:
    void write(StreamId stream, const StreamFormat& format, std::span<const uint8_t> bytes) override;
    void read(StreamId stream, const StreamFormat& format, std::span<uint8_t> out) override;
};

} // namespace media
