// The Selvo client's channel of the one log (`--log-level selvo=debug`). It is declared in the client's
// lowest library, the XML model, so that library writes on it too; sv_log.h brings it to the rest.
#pragma once

#include "platform/foundation/log.h"

namespace zelvan::selvo {

inline constexpr fnd::LogChannel kSelvoLog{"selvo"};

} // namespace zelvan::selvo
