// The Kavlo client's channel of the one log: every line of the client is written on it
// (`--log-level kavlo=debug`).
#pragma once

#include "platform/foundation/log.h"

namespace zelvan::kavlo {

inline constexpr fnd::LogChannel kKavloLog{"kavlo"};

} // namespace zelvan::kavlo
