// ORVLog: the offer network's log front over the one log. A line is written as "[Log Level: %d]; %@"
// when its level is at or below the threshold, one value for the process (3 unless set; makeOrvane sets
// it back to 3 for each context it makes): levels up to 3 as warnings, 4 and 5 as debug tracing. Failure
// lines (ORV_LOG_FAILURE) begin "%s: %d; %s; " with file, line and function. Data received from outside
// enters a line only through fnd::logPreview.
#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/log.h"
#include "platform/foundation/numbered_log.h"

namespace zelvan::orvane {

// A format text with the site that wrote it (taken where the text is given), so that each site keeps
// its own share of the log's repeat limit.
struct ORVFormat {
    ORVFormat(const char* text, const char* file = __builtin_FILE(), int line = __builtin_LINE(),
              const char* function = __builtin_FUNCTION())
        : text(text), site{file, line, function} {}
    ORVFormat(const char* text, fnd::LogSite site) : text(text), site(site) {}

    std::string_view text;
    fnd::LogSite site;
};

// The offer network's channel of the one log (`--log-level orvane=debug`).
inline constexpr fnd::LogChannel kOrvaneLog{"orvane"};

class ORVLog {
public:
    static constexpr int kDefaultThreshold = 3;

    // The threshold lines are written at or below. Any thread.
    static int logThreshold();
    static void setLogThreshold(int level);

    template <class... A>
    static void logWithLevel(int level, ORVFormat format, const A&... args) {
        front().write(level, format.site, format.text, args...);
    }
    template <class... A>
    static void logFailure(int level, const fnd::LogSite& site, std::string_view format, const A&... args) {
        front().failure(level, site, format, args...);
    }

private:
    static fnd::NumberedLog& front();
};

} // namespace zelvan::orvane

// A failure line: "<file>: <line>; <function>; " and the formatted text, at `level`.
#define ORV_LOG_FAILURE(level, fmt, ...)                                                                               \
    ::zelvan::orvane::ORVLog::logFailure(level, ::fnd::LogSite{__FILE__, __LINE__, __func__},                          \
                                         fmt __VA_OPT__(, ) __VA_ARGS__)
