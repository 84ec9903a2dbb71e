// The process log: the level filter, rendering of records, the limit on repeats, stderr and the sinks.
#include "platform/foundation/log.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/log_repeats.h"

namespace fnd {
namespace {

struct Sink {
    std::function<void(const LogRecord&, const std::string&)> fn;
    int calls = 0;        // calls in progress on any thread, guarded by LogState::mutex
    bool removed = false; // guarded by LogState::mutex
};

struct LogState {
    std::mutex mutex;
    std::condition_variable callsDone;
    std::map<LogSinkToken, std::shared_ptr<Sink>> sinks;
    LogSinkToken next = 1;
    std::atomic<bool> toStderr{true};
    std::atomic<bool> limitRepeats{true};
    std::atomic<LogLevel> minLevel{LogLevel::Info};
    LogRepeatLimiter repeats; // guarded by mutex
    // Levels named for channels. A record looks here only while some are named (so the usual record takes
    // no lock); its own lock, since sinks run while `mutex` is not held but may log.
    std::atomic<bool> anyNamed{false};
    std::mutex namedMutex;
    std::map<std::string, LogLevel, std::less<>> named; // guarded by namedMutex
};

// The sinks the calling thread is inside right now (a sink may log or remove itself). Plain
// storage with no destructor, so a line logged while the thread is ending still finds it.
constexpr int kMaxNestedSinks = 16;
thread_local const Sink* sinksEntered[kMaxNestedSinks];
thread_local int sinksEnteredDepth = 0;

int enteredHere(const Sink* sink) {
    int n = 0;
    for (int i = 0; i < std::min(sinksEnteredDepth, kMaxNestedSinks); ++i) {
        n += sinksEntered[i] == sink ? 1 : 0;
    }
    return n;
}

// Counts one call of a sink as in progress for its lifetime.
class SinkCall {
public:
    SinkCall(LogState& state, Sink& sink) : state_(state), sink_(sink) {
        if (sinksEnteredDepth < kMaxNestedSinks) {
            sinksEntered[sinksEnteredDepth] = &sink;
        }
        ++sinksEnteredDepth;
    }
    ~SinkCall() {
        --sinksEnteredDepth;
        {
            std::lock_guard lock(state_.mutex);
            --sink_.calls;
        }
        state_.callsDone.notify_all();
    }
    SinkCall(const SinkCall&) = delete;
    SinkCall& operator=(const SinkCall&) = delete;

private:
    LogState& state_;
    Sink& sink_;
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

std::string_view logLevelName(LogLevel level) {
    switch (level) {
    case LogLevel::Debug:
        return "DEBUG";
    case LogLevel::Info:
        return "INFO";
    case LogLevel::Warn:
        return "WARN";
    case LogLevel::Error:
        return "ERROR";
    }
    return "Unknown";
}

std::string renderLogLine(const LogRecord& record) {
    if (record.level == LogLevel::Info) {
        return record.message;
    }
    std::string line(logLevelName(record.level));
    line += ' ';
    line += sourceFileName(record.site.file);
    line += ":L";
    line += std::to_string(record.site.line);
    line += ' ';
    line += record.site.function;
    line += "\n\t";
    line += record.message;
    return line;
}

namespace {

// A record and its line, as handed to the sinks.
struct Written {
    LogRecord record;
    std::string line;
};

// Writes the summaries and the record (when admitted) to stderr under the log's lock, then hands them
// to every sink outside it.
void writeLines(LogState& s, std::vector<Written>& lines) {
    std::vector<std::shared_ptr<Sink>> sinks;
    {
        std::lock_guard lock(s.mutex);
        for (auto& [token, sink] : s.sinks) {
            sinks.push_back(sink);
        }
    }
    for (auto& sink : sinks) {
        for (const Written& written : lines) {
            {
                std::lock_guard lock(s.mutex);
                if (sink->removed) {
                    break; // removed since the list was taken: its owner may be gone
                }
                ++sink->calls;
            }
            SinkCall call(s, *sink);
            sink->fn(written.record, written.line);
        }
    }
}

void writeToStderr(const LogState& s, const std::string& body) {
    if (s.toStderr.load()) {
        std::string line = timestamp() + " zelvan[" + std::to_string(::getpid()) + "] " + body + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
}

// Writes the summary line of each site in `due` to stderr (under the log's lock) and adds it to `lines`.
void writeSummaries(const LogState& s, const std::vector<LogRepeatLimiter::Summary>& due, std::vector<Written>& lines) {
    for (const LogRepeatLimiter::Summary& summary : due) {
        LogRecord held = summary.record();
        std::string line = renderLogLine(held);
        writeToStderr(s, line);
        lines.push_back({std::move(held), std::move(line)});
    }
}

} // namespace

std::optional<std::string> writeLog(const LogRecord& record) {
    if (!logWrites(record.channel, record.level)) {
        return std::nullopt;
    }
    auto& s = logState();
    std::vector<LogRepeatLimiter::Summary> due;
    std::vector<Written> lines;
    std::optional<std::string> body;
    {
        std::lock_guard lock(s.mutex);
        const bool admitted = !s.limitRepeats.load() || s.repeats.admit(record, Clock::monotonic(), due);
        if (due.empty() && !admitted) {
            return std::nullopt;
        }
        writeSummaries(s, due, lines);
        if (admitted) {
            body = renderLogLine(record);
            writeToStderr(s, *body);
            lines.push_back({record, *body});
        }
    }
    writeLines(s, lines);
    return body;
}

void flushLogRepeats() {
    auto& s = logState();
    std::vector<LogRepeatLimiter::Summary> due;
    std::vector<Written> lines;
    {
        std::lock_guard lock(s.mutex);
        s.repeats.flush(due);
        writeSummaries(s, due, lines);
    }
    writeLines(s, lines);
}

void setMinLogLevel(LogLevel level) {
    logState().minLevel.store(level);
}

LogLevel minLogLevel() {
    return logState().minLevel.load();
}

void setChannelLogLevel(std::string_view name, LogLevel level) {
    auto& s = logState();
    std::lock_guard lock(s.namedMutex);
    s.named.insert_or_assign(std::string(name), level);
    s.anyNamed.store(true);
}

void clearChannelLogLevels() {
    auto& s = logState();
    std::lock_guard lock(s.namedMutex);
    s.named.clear();
    s.anyNamed.store(false);
}

LogLevel minLogLevel(const LogChannel& channel) {
    auto& s = logState();
    if (s.anyNamed.load()) {
        std::lock_guard lock(s.namedMutex);
        if (auto it = s.named.find(channel.name); it != s.named.end()) {
            return it->second;
        }
    }
    return std::max(channel.threshold, s.minLevel.load());
}

bool logWrites(const LogChannel& channel, LogLevel level) {
    // Only the known levels below the minimum are dropped; a value outside the enumeration is written.
    const int value = static_cast<int>(level);
    return value < static_cast<int>(LogLevel::Debug) || value > static_cast<int>(LogLevel::Error) ||
           value >= static_cast<int>(minLogLevel(channel));
}

void setLogRepeatsLimited(bool limited) {
    logState().limitRepeats.store(limited);
}

bool logRepeatsLimited() {
    return logState().limitRepeats.load();
}

void resetLogRepeats() {
    auto& s = logState();
    std::lock_guard lock(s.mutex);
    s.repeats.reset();
}

LogSinkToken addLogSink(std::function<void(const std::string& line)> sink) {
    return addLogRecordSink([sink = std::move(sink)](const LogRecord&, const std::string& line) { sink(line); });
}

LogSinkToken addLogRecordSink(std::function<void(const LogRecord&, const std::string&)> sink) {
    auto& s = logState();
    std::lock_guard lock(s.mutex);
    LogSinkToken token = s.next++;
    auto entry = std::make_shared<Sink>();
    entry->fn = std::move(sink);
    s.sinks.emplace(token, std::move(entry));
    return token;
}

void removeLogSink(LogSinkToken token) {
    auto& s = logState();
    std::shared_ptr<Sink> sink;
    std::unique_lock lock(s.mutex);
    auto it = s.sinks.find(token);
    if (it == s.sinks.end()) {
        return;
    }
    sink = std::move(it->second);
    s.sinks.erase(it);
    sink->removed = true;
    // Calls other threads have already begun finish before the sink's owner may go; calls this
    // thread is inside (a sink removing itself) cannot be waited for.
    const int own = enteredHere(sink.get());
    s.callsDone.wait(lock, [&] { return sink->calls <= own; });
}

void setLogToStderr(bool enabled) {
    logState().toStderr.store(enabled);
}

bool logToStderr() {
    return logState().toStderr.load();
}

} // namespace fnd
