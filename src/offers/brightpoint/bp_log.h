// The offer wall's log channel: every line of the library is written on it, so `--log-level
// brightpoint=debug` (or =warn) sets the wall's level alone.
#pragma once

#include "platform/foundation/log.h"

namespace zelvan::brightpoint {

inline constexpr fnd::LogChannel kBrightpointLog{"brightpoint"};

} // namespace zelvan::brightpoint
