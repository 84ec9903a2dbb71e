// The log's per-site windows: which records are written, which are counted, and the summary lines.
#include "platform/foundation/log_repeats.h"

#include <algorithm>

namespace fnd {
namespace {

// 41220 -> "41,220".
std::string groupedDigits(int64_t n) {
    std::string digits = std::to_string(n);
    for (size_t at = digits.size(); at > 3 && digits[at - 4] != '-'; at -= 3) {
        digits.insert(at - 3, 1, ',');
    }
    return digits;
}

} // namespace

LogRecord LogRepeatLimiter::Summary::record() const {
    std::string message = "\u2026 " + groupedDigits(count) + " more like this";
    if (level == LogLevel::Info) {
        message += " (";
        message += sourceFileName(file);
        message += ":L" + std::to_string(line) + ")";
    }
    return LogRecord{level, LogSite{file, line, function}, std::move(message), channel};
}

bool LogRepeatLimiter::ended(const Window& window, double now) {
    // A clock that went back (another one installed) ends the window as well.
    return now >= window.start + kWindowSeconds || now < window.start;
}

bool LogRepeatLimiter::admit(const LogRecord& record, double now, std::vector<Summary>& due) {
    const LogSite& site = record.site;
    if (holding_ > 0 && (now >= nextEnd_ || now < nextEnd_ - kWindowSeconds)) {
        collectEnded(now, due);
    }
    auto it = windows_.find(std::pair<std::string_view, int>(site.file, site.line));
    if (it == windows_.end()) {
        Window window;
        window.start = now;
        window.written = 1;
        window.held.file = std::string(site.file);
        window.held.line = site.line;
        windows_.emplace(std::pair<std::string, int>(site.file, site.line), std::move(window));
        return true;
    }
    Window& window = it->second;
    if (ended(window, now)) {
        window.start = now;
        window.written = 1;
        return true;
    }
    if (window.written < kLinesPerWindow) {
        ++window.written;
        return true;
    }
    if (window.held.count == 0) {
        nextEnd_ = holding_ == 0 ? window.start + kWindowSeconds : std::min(nextEnd_, window.start + kWindowSeconds);
        ++holding_;
    }
    window.held.level = record.level;
    window.held.channel = record.channel;
    window.held.function.assign(site.function);
    ++window.held.count;
    return false;
}

void LogRepeatLimiter::collectEnded(double now, std::vector<Summary>& due) {
    holding_ = 0;
    for (auto& [key, window] : windows_) {
        if (window.held.count == 0) {
            continue;
        }
        if (ended(window, now)) {
            due.push_back(window.held);
            window.held.count = 0;
        } else {
            nextEnd_ =
                holding_ == 0 ? window.start + kWindowSeconds : std::min(nextEnd_, window.start + kWindowSeconds);
            ++holding_;
        }
    }
}

void LogRepeatLimiter::flush(std::vector<Summary>& due) {
    for (auto& [key, window] : windows_) {
        if (window.held.count > 0) {
            due.push_back(window.held);
            window.held.count = 0;
        }
    }
    holding_ = 0;
}

void LogRepeatLimiter::reset() {
    windows_.clear();
    holding_ = 0;
}

} // namespace fnd
