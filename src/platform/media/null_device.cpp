// The default sound device: output goes nowhere, input is silence.
#include "platform/media/null_device.h"

#include <algorithm>

namespace media {

void NullDevice::write(StreamId, const StreamFormat&, std::span<const uint8_t>) {}

void NullDevice::read(StreamId, const StreamFormat&, std::span<uint8_t> out) {
    std::fill(out.begin(), out.end(), uint8_t{0});
}

} // namespace media
