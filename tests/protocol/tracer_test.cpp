// The trace log's lines as they reach the process log, the silent levels, and what the error
// recorder receives (including from logError, when the recorder itself throws, and under a flood).
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/log_repeats.h"
#include "platform/foundation/testing/log_capture.h"
#include "protocol/tracer.h"

namespace zelvan {
namespace {

struct CustomFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class TracerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Tracer::sharedTracer().setErrorRecorder(
            [this](const std::string& key, const std::string& text) { recorded_.emplace_back(key, text); });
    }
    void TearDown() override { Tracer::sharedTracer().setErrorRecorder(nullptr); }

    std::vector<std::pair<std::string, std::string>> recorded_;
};

TEST_F(TracerTest, WritesWarningsAndErrorsInTheTraceForm) {
    fnd::testing::LogCapture log;
    Tracer& tracer = Tracer::sharedTracer();
    tracer.output("/src/messaging/im_chat.cpp", 42, "removeCurrentChat", 3, "current chat is nil");
    tracer.output("im_chat.cpp", 7, "endScroll", 2, "unknown section %d of %@", 9, std::string("list"));
    tracer.output("a/b.cpp", 1, "f", 7, "odd level");
    tracer.output("a/b.cpp", 1, "f", -1, "negative level");
    tracer.output("a/b.cpp", 1, "f", 0, "debug %d", 1);
    tracer.output("a/b.cpp", 1, "f", 1, "info");

    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "ERROR im_chat.cpp:L42 removeCurrentChat\n\tcurrent chat is nil",
                               "WARN im_chat.cpp:L7 endScroll\n\tunknown section 9 of list",
                               "Unknown b.cpp:L1 f\n\todd level",
                               "Unknown b.cpp:L1 f\n\tnegative level",
                           }));
    ASSERT_EQ(recorded_.size(), 1u);
    EXPECT_EQ(recorded_[0].first, "ERROR-LOG");
    EXPECT_EQ(recorded_[0].second, "ERROR im_chat.cpp:L42 removeCurrentChat\n\tcurrent chat is nil");

    // A message is an argument, never a format: a '%' in it prints as it stands.
    log.clear();
    tracer.output("x.cpp", 3, "g", 2, "%@", std::string("100% sure %d"));
    EXPECT_EQ(log.lines(), std::vector<std::string>{"WARN x.cpp:L3 g\n\t100% sure %d"});
}

TEST_F(TracerTest, MacrosNameTheCallSite) {
    fnd::testing::LogCapture log;
    int line = __LINE__ + 1;
    ZTRACE_WARN("duplicate delegate %@", std::string("d1"));
    ZTRACE_ERROR("plain");
    auto lines = log.lines();
    ASSERT_EQ(lines.size(), 2u);
    std::string where = std::string("tracer_test.cpp:L") + std::to_string(line) + " TestBody\n\t";
    EXPECT_EQ(lines[0], "WARN " + where + "duplicate delegate d1");
    EXPECT_EQ(lines[1], "ERROR tracer_test.cpp:L" + std::to_string(line + 1) + " TestBody\n\tplain");
    EXPECT_EQ(recorded_.size(), 1u);

    // Only errors traced through the Tracer reach the recorder, not every Error record of the log.
    ZLOG(Error, "a platform failure");
    EXPECT_TRUE(log.contains("a platform failure"));
    EXPECT_EQ(recorded_.size(), 1u);
}

TEST_F(TracerTest, AFloodOfOneErrorReachesTheRecorderAsTheLogWritesIt) {
    fnd::ManualClock::install();
    fnd::testing::LogCapture log;
    for (int i = 0; i < 100; ++i) {
        ZTRACE_ERROR("again %d", i);
    }
    fnd::flushLogRepeats();
    const size_t written = fnd::LogRepeatLimiter::kLinesPerWindow;
    EXPECT_EQ(recorded_.size(), written);
    ASSERT_EQ(log.lines().size(), written + 1);
    EXPECT_TRUE(log.lines().back().ends_with("\t… 95 more like this")) << log.lines().back();
    fnd::Clock::install(nullptr);
}

TEST_F(TracerTest, LogsExceptionsAsErrorsAndSurvivesAThrowingRecorder) {
    fnd::testing::LogCapture log;
    Tracer& tracer = Tracer::sharedTracer();
    try {
        throw CustomFailure("disk full");
    } catch (const std::exception& e) {
        tracer.logError("cache.cpp", 12, "fireAvatarUpdatedEvent", "listener failed", e);
    }
    const std::string expected =
        "ERROR cache.cpp:L12 fireAvatarUpdatedEvent\n\tlistener failed zelvan::(anonymous namespace)::CustomFailure: "
        "disk full";
    EXPECT_EQ(log.lines(), std::vector<std::string>{expected});
    ASSERT_EQ(recorded_.size(), 1u);
    EXPECT_EQ(recorded_[0].second, expected);

    log.clear();
    tracer.setErrorRecorder([](const std::string&, const std::string&) { throw std::logic_error("no store"); });
    tracer.output("c.cpp", 5, "h", 3, "still logged");
    EXPECT_TRUE(log.contains("ERROR c.cpp:L5 h\n\tstill logged"));
    EXPECT_TRUE(log.contains("Tracer: the error recorder threw std::logic_error: no store"));

    // Without a recorder an error is only logged.
    log.clear();
    tracer.setErrorRecorder(nullptr);
    tracer.output("c.cpp", 6, "h", 3, "alone");
    EXPECT_EQ(log.count("alone"), 1u);
}

} // namespace
} // namespace zelvan
