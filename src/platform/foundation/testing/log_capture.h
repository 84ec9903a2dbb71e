// Collects log lines while in scope, so tests can assert on what the code logged. Starting a capture, and
// clearing it, forget the log's held-back repeats: the lines of each case stand on their own.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/log.h"

namespace fnd::testing {

class LogCapture {
public:
    // Whether the log holds back a site's repeats while the capture runs (as it does in the client), or
    // writes every line, for a test that counts many lines of one site.
    enum class Repeats { Limited, All };

    explicit LogCapture(Repeats repeats = Repeats::Limited);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines() const;
    // True when some captured line contains `fragment`.
    bool contains(std::string_view fragment) const;
    size_t count(std::string_view fragment) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    LogSinkToken token_;
    bool wasLimited_;
};

} // namespace fnd::testing
