// The process log: records with a level, a source site and a message, written through ZLOG, rendered
// as one text line each and sent to stderr ("YYYY-MM-DD HH:MM:SS.mmm zelvan[pid] line") and to any
// installed sinks (tests capture lines through testing::LogCapture); a site that repeats itself is held
// to a few lines per second. docs/logging.md describes it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/format.h"

namespace fnd {

// The values are those the trace log has always used for its levels.
enum class LogLevel : int { Debug = 0, Info = 1, Warn = 2, Error = 3 };

// "DEBUG", "INFO", "WARN", "ERROR", or "Unknown" for a value outside the enumeration.
std::string_view logLevelName(LogLevel level);

// Where a record was written. The views refer to the caller's text (string literals for ZLOG).
struct LogSite {
    std::string_view file; // as the compiler names it; the rendered line shows only the file name
    int line = 0;
    std::string_view function;
};

struct LogRecord {
    LogLevel level = LogLevel::Info;
    LogSite site;
    std::string message;
};

// The text of a record's line. An Info record is its message alone; every other level is
// "<LEVEL> <file name>:L<line> <function>\n\t<message>", so a warning says where it came from and
// the level is never part of the message itself.
std::string renderLogLine(const LogRecord& record);

// Renders and writes one record, and returns its line; nullopt when the record was held back as a
// repeat: its site (file and line) has already written LogRepeatLimiter::kLinesPerWindow lines in the
// current window of LogRepeatLimiter::kWindowSeconds on fnd::Clock's monotonic time. Held-back records
// are counted, and each site's count comes out as one summary line ("… 41,220 more like this", at the
// site's level) ahead of the first record written after its window has ended. Safe from any thread;
// lines never interleave. Product code writes through ZLOG; this is the writer behind it (and behind
// the trace log).
std::optional<std::string> writeLog(const LogRecord& record);

// Writes the summary line of every site holding back records now, whether or not its window has ended
// (the client does this as it ends, so the count of a last flood is not lost).
void flushLogRepeats();
// The lowest level written (Info by default): a record below it is dropped before anything else sees it
// (no line, no sink, no repeat count), so Debug lines stay off unless asked for (--log-level debug).
void setMinLogLevel(LogLevel level);
LogLevel minLogLevel();

// Whether repeats are held back (on by default). The dev server turns it off: its log is the record
// of every packet it received, which tests read back.
void setLogRepeatsLimited(bool limited);
bool logRepeatsLimited();
// Forgets every site's window and held-back count. A testing::LogCapture does this as it starts and as it
// is cleared, so the lines a test captures do not depend on what earlier tests or cases logged.
void resetLogRepeats();

// Formats the message with fnd::format and writes it; what ZLOG expands to.
template <class... A>
void logAt(LogLevel level, const LogSite& site, std::string_view fmt, const A&... args) {
    writeLog(LogRecord{level, site, format(fmt, args...)});
}

// Sinks receive the rendered line of every record (without the time and process prefix); record
// sinks also receive the record, whose views are valid only during the call.
using LogSinkToken = uint64_t;
LogSinkToken addLogSink(std::function<void(const std::string& line)> sink);
LogSinkToken addLogRecordSink(std::function<void(const LogRecord& record, const std::string& line)> sink);
// Once this returns the sink is never called again, and calls other threads had begun have
// returned, so its owner may go. A sink may remove itself.
void removeLogSink(LogSinkToken token);

// Whether lines also go to stderr (on by default).
void setLogToStderr(bool enabled);
bool logToStderr();

} // namespace fnd

// The front door of the log: ZLOG(Warn, "codec: %s at offset %zu", what, offset) writes a record at
// fnd::LogLevel::Warn for this file, line and function, with the message rendered by fnd::format.
#define ZLOG(level, fmt, ...)                                                                                          \
    ::fnd::logAt(::fnd::LogLevel::level, ::fnd::LogSite{__FILE__, __LINE__, __func__}, fmt __VA_OPT__(, ) __VA_ARGS__)
