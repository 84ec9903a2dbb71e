// The Tallio client's channel of the one log: every line of the client is written on it
// (`--log-level tallio=debug`).
#pragma once

#include "platform/foundation/log.h"

namespace zelvan::tallio {

inline constexpr fnd::LogChannel kTallioLog{"tallio"};

} // namespace zelvan::tallio
