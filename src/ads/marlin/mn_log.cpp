// The log list operations of the interstitial client, which keeps no list of its own.
#include "ads/marlin/mn_log.h"

namespace zelvan::marlin {

void MNLogInit() {}

void MNLogDealloc() {}

void MNLogClear() {}

std::optional<fnd::Value> MNLogContents() {
    return std::nullopt;
}

} // namespace zelvan::marlin
