// The mediation's log front: a line is written as "[Log Level: %d]; <text>" when its level is at or below
// the threshold (the offer network's, through the source the composition root sets; 3 without one): levels
// up to 3 as warnings, 4 and 5 as debug tracing. Failure lines (MED_LOG_FAILURE) begin "%s: %d; %s; " with
// the source file name, line and function.
#pragma once

#include <functional>

#include "platform/foundation/log.h"
#include "platform/foundation/numbered_log.h"

namespace zelvan::mediation {

// The mediation's channel of the one log (`--log-level mediation=debug`).
inline constexpr fnd::LogChannel kMediationLog{"mediation"};
inline constexpr int kMedLogDefaultThreshold = 3;

// The front, process-wide like the log itself; any thread.
fnd::NumberedLog& medLogFront();
// Where the threshold comes from (empty: kMedLogDefaultThreshold).
void setMedLogThresholdSource(std::function<int()> source);
int medLogThreshold();

} // namespace zelvan::mediation

#define MED_LOG(level, fmt, ...)                                                                                       \
    ::zelvan::mediation::medLogFront().write(level, ::fnd::LogSite{__FILE__, __LINE__, __func__},                      \
                                             fmt __VA_OPT__(, ) __VA_ARGS__)
#define MED_LOG_FAILURE(level, fmt, ...)                                                                               \
    ::zelvan::mediation::medLogFront().failure(level, ::fnd::LogSite{__FILE__, __LINE__, __func__},                    \
                                               fmt __VA_OPT__(, ) __VA_ARGS__)
