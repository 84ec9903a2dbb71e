// The process log: records with a level, a channel, a source site and a message, written through ZLOG
// (ZLOG_TO for a channel), rendered as one text line each and sent to stderr ("YYYY-MM-DD HH:MM:SS.mmm
// zelvan[pid] line") and to any installed sinks (tests capture lines through testing::LogCapture); a site
// that repeats itself is held to a few lines per second. docs/logging.md describes it.
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

// The part of the process a record comes from: a network client or library that logs under its own name,
// declared once as a constant and written through with ZLOG_TO (or the logAt and LogRecord that take it):
//     inline constexpr fnd::LogChannel kOrvaneLog{"orvane"};
//     ZLOG_TO(kOrvaneLog, Warn, "offer list refused: %s", fnd::logPreview(body));
// The name must be a string literal (records and sinks keep the view). `threshold` is the lowest level the
// channel writes whatever the global minimum; the default, Debug, leaves it to the global minimum. Either
// gives way to a level named for the channel (`--log-level orvane=debug`). See minLogLevel(channel).
struct LogChannel {
    std::string_view name;
    LogLevel threshold = LogLevel::Debug;
};

// The channel of every record written without one: the client's own code.
inline constexpr LogChannel kDefaultLogChannel{"zelvan"};

// The source file's name without its folders: "log.cpp" for "src/platform/foundation/log.cpp". The one
// place a source path (__FILE__) is trimmed for a line.
constexpr std::string_view sourceFileName(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

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
    // Metadata for the level filter and the sinks; never part of the rendered line.
    LogChannel channel = kDefaultLogChannel;
};

// The text of a record's line. An Info record is its message alone; every other level is
// "<LEVEL> <file name>:L<line> <function>\n\t<message>", so a warning says where it came from and
// the level is never part of the message itself.
std::string renderLogLine(const LogRecord& record);

// Renders and writes one record, and returns its line; nullopt when the record is below its channel's
// minimum level (minLogLevel(channel)) or was held back as a repeat: its site (file and line) has already
// written LogRepeatLimiter::kLinesPerWindow lines in the current window of LogRepeatLimiter::kWindowSeconds
// on fnd::Clock's monotonic time. Held-back records are counted, and each site's count comes out as one
// summary line ("… 41,220 more like this", at the site's level) ahead of the first record written after
// its window has ended. Safe from any thread; lines never interleave. Product code writes through ZLOG; this
// is the writer behind it (and behind the trace log and the network clients' log fronts).
std::optional<std::string> writeLog(const LogRecord& record);

// Writes the summary line of every site holding back records now, whether or not its window has ended
// (the client does this as it ends, so the count of a last flood is not lost).
void flushLogRepeats();
// The global minimum level (Info by default, `--log-level LEVEL`): the lowest level any channel writes
// unless a level is named for it. A record below its channel's minimum is dropped before anything else sees
// it (no line, no sink, no repeat count), so Debug lines stay off unless asked for (--log-level debug).
void setMinLogLevel(LogLevel level);
LogLevel minLogLevel();
// Names the minimum level of the channel called `name` (`--log-level NAME=LEVEL`), in place of its threshold
// and the global minimum. The channel need not be declared yet: it is found by name as it writes.
void setChannelLogLevel(std::string_view name, LogLevel level);
// Forgets every level named for a channel.
void clearChannelLogLevels();
// The lowest level `channel` writes: the level named for it, or else the higher of its threshold and the
// global minimum. So a channel declared at Debug logs as the default channel does (Info unless
// `--log-level` says otherwise), and one declared at Warn keeps its Info lines off until it is named.
LogLevel minLogLevel(const LogChannel& channel);
// Whether a record of `level` on `channel` would be written (repeats aside); a level outside the
// enumeration always is.
bool logWrites(const LogChannel& channel, LogLevel level);

// Whether repeats are held back (on by default). The dev server turns it off: its log is the record
// of every packet it received, which tests read back.
void setLogRepeatsLimited(bool limited);
bool logRepeatsLimited();
// Forgets every site's window and held-back count. A testing::LogCapture does this as it starts and as it
// is cleared, so the lines a test captures do not depend on what earlier tests or cases logged.
void resetLogRepeats();

// Formats the message with fnd::format and writes it on `channel`; what ZLOG_TO expands to. A record
// below the channel's minimum is not even formatted.
template <class... A>
void logAt(const LogChannel& channel, LogLevel level, const LogSite& site, std::string_view fmt, const A&... args) {
    if (logWrites(channel, level)) {
        writeLog(LogRecord{level, site, format(fmt, args...), channel});
    }
}

// The same on the default channel; what ZLOG expands to.
template <class... A>
void logAt(LogLevel level, const LogSite& site, std::string_view fmt, const A&... args) {
    logAt(kDefaultLogChannel, level, site, fmt, args...);
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
// The same on a declared channel: ZLOG_TO(kOrvaneLog, Debug, "offer %d shown", id).
#define ZLOG_TO(channel, level, fmt, ...)                                                                              \
    ::fnd::logAt(channel, ::fnd::LogLevel::level, ::fnd::LogSite{__FILE__, __LINE__, __func__},                        \
                 fmt __VA_OPT__(, ) __VA_ARGS__)
