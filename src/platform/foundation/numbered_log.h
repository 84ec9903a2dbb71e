// NumberedLog: the log front of a client whose own levels are numbers, 1 the most severe to 5 the most
// verbose. A line is written when its number is at or below the front's threshold, as
// "[Log Level: %d]; <text>" on the front's channel: levels up to 3 as warnings, 4 and 5 as debug tracing.
// The threshold is the front's own value, or what a source it was given answers (a client that follows
// another one's setting). Failure lines (failure()) begin "<file>: <line>; <function>; ".
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/foundation/format.h"
#include "platform/foundation/log.h"

namespace fnd {

class NumberedLog {
public:
    NumberedLog(LogChannel channel, int defaultThreshold) : channel_(channel), threshold_(defaultThreshold) {}
    NumberedLog(const NumberedLog&) = delete;
    NumberedLog& operator=(const NumberedLog&) = delete;

    const LogChannel& channel() const { return channel_; }

    // The threshold lines are written at or below. Any thread.
    int threshold() const;
    void setThreshold(int level) { threshold_.store(level); }
    // Where the threshold comes from instead of the front's own value (empty: the own value again).
    void setThresholdSource(std::function<int()> source);

    template <class... A>
    void write(int level, const LogSite& site, std::string_view format, const A&... args) const {
        if (level <= threshold()) {
            emit(level, site, fnd::format(format, args...));
        }
    }
    // The same as a failure line, led by the site's file name, line and function.
    template <class... A>
    void failure(int level, const LogSite& site, std::string_view format, const A&... args) const {
        if (level <= threshold()) {
            emit(level, site,
                 fnd::format("%s: %d; %s; ", sourceFileName(site.file), site.line, site.function) +
                     fnd::format(format, args...));
        }
    }

private:
    void emit(int level, const LogSite& site, const std::string& text) const;

    const LogChannel channel_;
    std::atomic<int> threshold_;
    mutable std::mutex sourceMutex_;
    std::shared_ptr<const std::function<int()>> source_;
};

} // namespace fnd
