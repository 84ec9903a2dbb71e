// The log's records as ZLOG writes them (level, site, message) and as lines render them, and VERIFY's
// failure path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/log.h"
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

TEST(LogTest, ZlogRecordsItsSiteAndRendersTheLevelOnce) {
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
