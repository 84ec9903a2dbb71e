// Shared by the fuzz targets that feed received commands to their owner: a packet for one of the
// owner's command numbers, its elements decoded from the fuzzer's bytes with the tagged codec.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/foundation/value.h"
#include "protocol/tagged_codec.h"

namespace fuzzsupport {

// [command, ...]: a decoded array keeps its elements after element 0, which becomes `command`; any
// other decoded value becomes element 1; bytes that do not decode give [command] alone.
inline fnd::Value routedPacket(int32_t command, std::span<const uint8_t> bytes) {
    auto decoded = zelvan::loads(bytes);
    fnd::Value packet = fnd::Value::array({command});
    if (decoded && decoded->isArray() && decoded->asArray()->count() > 0) {
        packet = decoded->deepCopy();
        packet.asArray()->replaceObjectAtIndex(0, command);
    } else if (decoded) {
        packet.asArray()->addObject(*decoded);
    }
    return packet;
}

} // namespace fuzzsupport
