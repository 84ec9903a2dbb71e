// The packets a test's application delegate has queued for the game server since the last call, taken
// off the queue and decoded, oldest first.
#pragma once

#include <vector>

#include "core/zelvan_app_delegate.h"
#include "platform/foundation/value.h"
#include "protocol/tagged_codec.h"

namespace zelvan {

inline std::vector<fnd::Value> takeSentPackets(zelvanAppDelegate& app) {
    std::vector<fnd::Value> out;
    for (const auto& bytes : app.packetQueue().drain()) {
        out.push_back(loads(bytes).value());
    }
    return out;
}

} // namespace zelvan
