// The process log and its sinks.
#include "platform/foundation/log.h"

#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>
#include <vector>

#include "platform/foundation/clock.h"

namespace fnd {
namespace {

struct LogState {
    std::mutex mutex;
    std::map<LogSinkToken, std::function<void(const std::string&)>> sinks;
    LogSinkToken next = 1;
    std::atomic<bool> toStderr{true};
};

LogState& logState() {
    static LogState* s = new LogState; // never destroyed: threads may log during exit
    return *s;
}

std::string timestamp() {
    // Round to whole milliseconds first, so 0.1 s prints as .100 rather than .099.
    auto totalMs = static_cast<long long>(std::llround(Clock::now().since1970() * 1000.0));
    auto secs = static_cast<time_t>(totalMs / 1000);
    int millis = static_cast<int>(totalMs % 1000);
    struct tm parts {};
    localtime_r(&secs, &parts);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, millis);
    return buf;
}

} // namespace

void logLine(std::string_view text) {
    auto& s = logState();
    std::string body(text);
    std::vector<std::function<void(const std::string&)>> sinks;
    {
        std::lock_guard lock(s.mutex);
        if (s.toStderr.load()) {
            std::string line = timestamp() + " zelvan[" + std::to_string(::getpid()) + "] " + body + "\n";
            std::fwrite(line.data(), 1, line.size(), stderr);
        }
        for (auto& [token, sink] : s.sinks) {
            sinks.push_back(sink);
        }
    }
    for (auto& sink : sinks) {
        sink(body);
    }
}

LogSinkToken addLogSink(std::function<void(const std::string&)> sink) {
    auto& s = logState();
    std::lock_guard lock(s.mutex);
    LogSinkToken token = s.next++;
    s.sinks.emplace(token, std::move(sink));
    return token;
}

void removeLogSink(LogSinkToken token) {
    auto& s = logState();
    std::lock_guard lock(s.mutex);
    s.sinks.erase(token);
}

void setLogToStderr(bool enabled) {
    logState().toStderr.store(enabled);
}

} // namespace fnd
