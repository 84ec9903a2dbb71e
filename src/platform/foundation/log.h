// The process log: one plain line per message, "YYYY-MM-DD HH:MM:SS.mmm zelvan[pid] text", written
// to stderr and to any installed sinks (tests capture lines through testing::LogCapture).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/foundation/format.h"

namespace fnd {

// Writes one line. Safe from any thread; lines never interleave.
void logLine(std::string_view text);

// Sinks receive the text of every line (without the time and process prefix).
using LogSinkToken = uint64_t;
LogSinkToken addLogSink(std::function<void(const std::string&)> sink);
// Once this returns the sink is never called again, and calls other threads had begun have
// returned, so its owner may go. A sink may remove itself.
void removeLogSink(LogSinkToken token);

// Whether lines also go to stderr (on by default).
void setLogToStderr(bool enabled);

// Formats with fnd::format and writes the result as one line.
template <class... A>
void log(std::string_view fmt, const A&... a) {
    logLine(format(fmt, a...));
}

} // namespace fnd
