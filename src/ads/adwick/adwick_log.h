// The banner client's channel of the one log: every line of the client is written on it, so
// `--log-level adwick=debug` names the client alone.
#pragma once

#include "platform/foundation/log.h"

namespace zelvan::adwick {

inline constexpr fnd::LogChannel kAdwickLog{"adwick"};

} // namespace zelvan::adwick
