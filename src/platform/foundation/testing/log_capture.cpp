// LogCapture: a log sink that keeps the lines for assertions.
#include "platform/foundation/testing/log_capture.h"

namespace fnd::testing {

LogCapture::LogCapture(Repeats repeats)
    : token_(addLogSink([this](const std::string& line) {
          std::lock_guard lock(mutex_);
          lines_.push_back(line);
      })),
      wasLimited_(logRepeatsLimited()) {
    resetLogRepeats();
    setLogRepeatsLimited(repeats == Repeats::Limited);
}

LogCapture::~LogCapture() {
    removeLogSink(token_);
    setLogRepeatsLimited(wasLimited_);
}

std::vector<std::string> LogCapture::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool LogCapture::contains(std::string_view fragment) const {
    return count(fragment) > 0;
}

size_t LogCapture::count(std::string_view fragment) const {
    std::lock_guard lock(mutex_);
    size_t n = 0;
    for (const auto& line : lines_) {
        if (line.find(fragment) != std::string::npos) {
            ++n;
        }
    }
    return n;
}

void LogCapture::clear() {
    {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }
    resetLogRepeats();
}

} // namespace fnd::testing
