// The mediation's log front: a line is written as "[Log Level: %d]; <text>" when its level is at or below
// the threshold (the offer network's, through the source the composition root sets; 3 without one): levels
// up to 3 as warnings, 4 and 5 as debug tracing. Failure lines (MED_LOG_FAILURE) begin "%s: %d; %s; " with
// the source file name, line and function.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/foundation/format.h"
#include "platform/foundation/log.h"

namespace zelvan::mediation {

inline constexpr int kMedLogDefaultThreshold = 3;

// Where the threshold comes from (empty: kMedLogDefaultThreshold). Process-wide, like the log itself; any
// thread.
void setMedLogThresholdSource(std::function<int()> source);
int medLogThreshold();
void medLogWrite(int level, const fnd::LogSite& site, const std::string& text);
std::string_view medSourceName(std::string_view path);

template <class... A>
void medLog(int level, const fnd::LogSite& site, std::string_view format, const A&... args) {
    if (level > medLogThreshold()) {
        return;
    }
    medLogWrite(level, site, fnd::format(format, args...));
}

} // namespace zelvan::mediation

#define MED_LOG(level, fmt, ...)                                                                                       \
    ::zelvan::mediation::medLog(level, ::fnd::LogSite{__FILE__, __LINE__, __func__}, fmt __VA_OPT__(, ) __VA_ARGS__)
#define MED_LOG_FAILURE(level, fmt, ...)                                                                               \
    ::zelvan::mediation::medLog(level, ::fnd::LogSite{__FILE__, __LINE__, __func__}, "%s: %d; %s; " fmt,               \
                                ::zelvan::mediation::medSourceName(__FILE__), __LINE__,                                \
                                __func__ __VA_OPT__(, ) __VA_ARGS__)
