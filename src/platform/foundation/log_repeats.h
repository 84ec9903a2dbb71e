// LogRepeatLimiter: the log's guard against floods. Each source site (file and line) may write a few
// lines per window; later ones in the window are only counted, and the count comes out as one summary
// line once the window has ended. The process log (log.cpp) keeps one under its lock.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/foundation/log.h"

namespace fnd {

class LogRepeatLimiter {
public:
    // Lines a site may write per window, and the window's length in seconds.
    static constexpr int kLinesPerWindow = 5;
    static constexpr double kWindowSeconds = 1.0;

    // The lines a site held back in a window that has ended, to be written as one record.
    struct Summary {
        LogLevel level = LogLevel::Info;
        LogChannel channel = kDefaultLogChannel;
        std::string file;
        int line = 0;
        std::string function;
        int64_t count = 0;

        // The summary as a record of its site: "… 41,220 more like this" (an Info record names the site
        // too, since its line shows no site).
        LogRecord record() const;
    };

    // Whether `record` (its site, level and channel) at monotonic time `now` is written. Before that it moves
    // to `due` the summaries of every site whose window has ended by `now` (this one's among them), in
    // the order to write them ahead of the record.
    bool admit(const LogRecord& record, double now, std::vector<Summary>& due);
    // Moves every held-back count to `due`, whether or not its window has ended.
    void flush(std::vector<Summary>& due);
    // Forgets every window and held-back count.
    void reset();

private:
    struct Window {
        double start = 0;
        int written = 0;
        Summary held; // count > 0 while lines are held back
    };
    // Orders sites by file and line, and finds one by views, so a lookup copies no text.
    struct SiteOrder {
        using is_transparent = void;
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            return std::pair<std::string_view, int>(a.first, a.second) <
                   std::pair<std::string_view, int>(b.first, b.second);
        }
    };
    static bool ended(const Window& window, double now);
    void collectEnded(double now, std::vector<Summary>& due);

    std::map<std::pair<std::string, int>, Window, SiteOrder> windows_;
    // Sites holding back lines, and the earliest time one of their windows ends (so most records need
    // no walk over every site).
    int holding_ = 0;
    double nextEnd_ = 0;
};

} // namespace fnd
