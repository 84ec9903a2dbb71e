// The interstitial client's channel of the one log (`--log-level marlin=debug`), declared in its lowest
// library so the animation scene writes on it as the client does (through MNLog, mn_log.h).
#pragma once

#include "platform/foundation/log.h"

namespace zelvan::marlin {

inline constexpr fnd::LogChannel kMarlinLog{"marlin"};

} // namespace zelvan::marlin
