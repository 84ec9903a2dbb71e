// The log's records as ZLOG writes them (level, site, message) and as lines render them, the limit on
// a site that repeats itself, and VERIFY's failure path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_repeats.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/verify.h"

namespace fnd {
namespace {

struct Seen {
    LogLevel level;
    std::string file;
    int line;
    std::string function;
    std::string message;
    std::string rendered;
};

// Sets the log's minimum level for a test's span.
struct MinLevel {
    explicit MinLevel(LogLevel level) { setMinLogLevel(level); }
    ~MinLevel() { setMinLogLevel(LogLevel::Info); }
};

TEST(LogTest, ZlogRecordsItsSiteAndRendersTheLevelOnce) {
    MinLevel debug(LogLevel::Debug);
    std::vector<Seen> seen;
    LogSinkToken token = addLogRecordSink([&](const LogRecord& r, const std::string& line) {
        seen.push_back({r.level, std::string(r.site.file), r.site.line, std::string(r.site.function), r.message, line});
    });
    testing::LogCapture capture;
    const int line = __LINE__ + 1;
    ZLOG(Warn, "codec: %s at offset %zu", "bad tag", size_t{7});
    ZLOG(Info, "connecting to %@:%d", std::string("localhost"), 8080);
    ZLOG(Error, "%@", std::string("100% lost"));
    ZLOG(Debug, "plain");
    removeLogSink(token);

    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].level, LogLevel::Warn);
    EXPECT_TRUE(seen[0].file.ends_with("tests/platform/foundation/log_test.cpp")) << seen[0].file;
    EXPECT_EQ(seen[0].line, line);
    EXPECT_EQ(seen[0].function, "TestBody");
    EXPECT_EQ(seen[0].message, "codec: bad tag at offset 7");
    EXPECT_EQ(seen[1].level, LogLevel::Info);
    EXPECT_EQ(seen[2].message, "100% lost");

    // Info is the message alone; other levels name the level and the site once, before the message.
    const std::string at = "log_test.cpp:L";
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{
                                   "WARN " + at + std::to_string(line) + " TestBody\n\tcodec: bad tag at offset 7",
                                   "connecting to localhost:8080",
                                   "ERROR " + at + std::to_string(line + 2) + " TestBody\n\t100% lost",
                                   "DEBUG " + at + std::to_string(line + 3) + " TestBody\n\tplain",
                               }));
    for (const Seen& s : seen) {
        EXPECT_EQ(s.rendered, renderLogLine(LogRecord{s.level, {s.file, s.line, s.function}, s.message}));
    }
    EXPECT_EQ(logLevelName(static_cast<LogLevel>(9)), "Unknown");
}

TEST(LogTest, RecordsBelowTheMinimumLevelReachNoLineAndNoSink) {
    ASSERT_EQ(minLogLevel(), LogLevel::Info);
    int sunk = 0;
    LogSinkToken token = addLogSink([&](const std::string&) { ++sunk; });
    testing::LogCapture capture;
    ZLOG(Debug, "off by default");
    {
        MinLevel warn(LogLevel::Warn);
        ZLOG(Info, "below warn");
        ZLOG(Warn, "kept");
    }
    ZLOG(Info, "info again");
    removeLogSink(token);
    const std::vector<std::string> lines = capture.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].starts_with("WARN ") && lines[0].ends_with("\tkept")) << lines[0];
    EXPECT_EQ(lines[1], "info again");
    EXPECT_EQ(sunk, 2);
}

// Levels named for channels, forgotten at the end of a test.
struct NamedLevels {
    NamedLevels() = default;
    NamedLevels(const NamedLevels&) = delete;
    NamedLevels& operator=(const NamedLevels&) = delete;
    ~NamedLevels() { clearChannelLogLevels(); }
};

TEST(LogTest, AChannelWritesAtTheHigherOfItsThresholdAndTheGlobalMinimumUnlessNamed) {
    static constexpr LogChannel kFollows{"follows"};
    static constexpr LogChannel kQuiet{"quiet", LogLevel::Warn};
    std::vector<std::string> channels;
    LogSinkToken token =
        addLogRecordSink([&](const LogRecord& r, const std::string&) { channels.emplace_back(r.channel.name); });
    testing::LogCapture capture;
    NamedLevels named;
    auto logAll = [](const char* phase) {
        ZLOG(Debug, "%s default debug", phase);
        ZLOG(Info, "%s default info", phase);
        ZLOG_TO(kFollows, Debug, "%s follows debug", phase);
        ZLOG_TO(kFollows, Warn, "%s follows warn", phase);
        ZLOG_TO(kQuiet, Info, "%s quiet info", phase);
        ZLOG_TO(kQuiet, Warn, "%s quiet warn", phase);
    };
    const std::string site = "WARN log_test.cpp:L" + std::to_string(__LINE__ - 4) + " operator()\n\t";
    const std::string quietSite = "WARN log_test.cpp:L" + std::to_string(__LINE__ - 3) + " operator()\n\t";
    const std::string debugSite = "DEBUG log_test.cpp:L" + std::to_string(__LINE__ - 7) + " operator()\n\t";

    // By default a channel declared at Debug writes what the default channel writes, in the same line.
    logAll("a");
    EXPECT_EQ(capture.lines(),
              (std::vector<std::string>{"a default info", site + "a follows warn", quietSite + "a quiet warn"}));
    EXPECT_EQ(channels, (std::vector<std::string>{"zelvan", "follows", "quiet"}));

    // The global level moves every channel, but not below a channel's own threshold.
    capture.clear();
    {
        MinLevel debug(LogLevel::Debug);
        logAll("b");
    }
    EXPECT_EQ(capture.lines().size(), 5u);
    EXPECT_EQ(capture.lines()[2], debugSite + "b follows debug");
    EXPECT_EQ(capture.lines()[4], quietSite + "b quiet warn");

    // A named level replaces both, whether raised or lowered, and leaves the other channels alone. A name
    // given before any channel of that name writes is found as it does.
    capture.clear();
    setChannelLogLevel("quiet", LogLevel::Debug);
    setChannelLogLevel("follows", LogLevel::Error);
    setChannelLogLevel("not-declared", LogLevel::Debug);
    logAll("c");
    static constexpr LogChannel kLate{"not-declared", LogLevel::Error};
    ZLOG_TO(kLate, Info, "late info");
    EXPECT_EQ(capture.lines(),
              (std::vector<std::string>{"c default info", "c quiet info", quietSite + "c quiet warn", "late info"}));

    clearChannelLogLevels();
    capture.clear();
    logAll("d");
    EXPECT_EQ(capture.lines().size(), 3u);
    // The count of a channel's held-back repeats is a record of that channel.
    auto clock = ManualClock::install();
    for (int i = 0; i <= LogRepeatLimiter::kLinesPerWindow; ++i) {
        ZLOG_TO(kQuiet, Warn, "flood");
    }
    flushLogRepeats();
    EXPECT_TRUE(capture.lines().back().ends_with("\t… 1 more like this")) << capture.lines().back();
    EXPECT_EQ(channels.back(), "quiet");
    Clock::install(nullptr);
    removeLogSink(token);
}

TEST(LogTest, ASiteRepeatingItselfWritesAFewLinesPerWindowThenItsCount) {
    auto clock = ManualClock::install();
    testing::LogCapture capture;
    const int floodLine = __LINE__ + 3;
    auto flood = [](int records) {
        for (int i = 0; i < records; ++i) {
            ZLOG(Warn, "dropped frame %d", i);
        }
    };
    const size_t burst = LogRepeatLimiter::kLinesPerWindow;
    flood(1000);
    ZLOG(Info, "another site"); // not held back by the first one's flood
    std::vector<std::string> lines = capture.lines();
    ASSERT_EQ(lines.size(), burst + 1);
    EXPECT_TRUE(lines[burst - 1].ends_with("dropped frame 4")) << lines[burst - 1];
    EXPECT_EQ(lines[burst], "another site");

    // Once the window has ended, the next record of any site comes after the count.
    clock->advance(LogRepeatLimiter::kWindowSeconds);
    ZLOG(Info, "later");
    flood(1);
    lines = capture.lines();
    ASSERT_EQ(lines.size(), burst + 4);
    const std::string site = "WARN log_test.cpp:L" + std::to_string(floodLine) + " operator()\n\t";
    EXPECT_EQ(lines[burst + 1], site + "… 995 more like this");
    EXPECT_EQ(lines[burst + 2], "later");
    EXPECT_EQ(lines[burst + 3], site + "dropped frame 0");

    // A flush writes what is held back before its window ends; an Info count names its site.
    flood(12000);
    for (int i = 0; i < 7; ++i) {
        ZLOG(Info, "tick");
    }
    const int tickLine = __LINE__ - 2;
    flushLogRepeats();
    lines = capture.lines();
    ASSERT_EQ(lines.size(), 2 * burst + 10);
    EXPECT_EQ(lines[lines.size() - 2], site + "… 11,996 more like this");
    EXPECT_EQ(lines.back(), "… 2 more like this (log_test.cpp:L" + std::to_string(tickLine) + ")");

    // With the limit off (the dev server's journal) every record is written.
    capture.clear();
    setLogRepeatsLimited(false);
    flood(20);
    setLogRepeatsLimited(true);
    EXPECT_EQ(capture.lines().size(), 20u);
    Clock::install(nullptr);
}

TEST(VerifyDeathTest, PassesSilentlyOnceAndAbortsWithTheConditionAndSite) {
    int evaluated = 0;
    testing::LogCapture capture;
    VERIFY(++evaluated == 1);
    EXPECT_EQ(evaluated, 1);
    EXPECT_TRUE(capture.lines().empty());

    EXPECT_DEATH(VERIFY(evaluated == 2), "ERROR log_test\\.cpp:L[0-9]+ TestBody.*VERIFY\\(evaluated == 2\\) failed");
    // The reason reaches stderr even where the log was kept off it.
    EXPECT_DEATH(
        {
            setLogToStderr(false);
            VERIFY(evaluated < 0);
        },
        "ERROR log_test\\.cpp:L[0-9]+ TestBody.*VERIFY\\(evaluated < 0\\) failed");
}

} // namespace
} // namespace fnd
