// VERIFY(cond): an invariant of our own code, checked in every build type. When it does not hold,
// the process logs the condition and where it failed at Error, then aborts.
#pragma once

#include "platform/foundation/log.h"

namespace fnd {

// Logs "VERIFY(<condition>) failed" at Error for `site` (on stderr even when the log is kept off it)
// and aborts.
[[noreturn]] void verifyFailed(std::string_view condition, const LogSite& site);

} // namespace fnd

#define VERIFY(cond)                                                                                                   \
    ((cond) ? static_cast<void>(0) : ::fnd::verifyFailed(#cond, ::fnd::LogSite{__FILE__, __LINE__, __func__}))
