// The Selvo log front: SVLog only while verbose, SVLogError always and into the error sink, and a sink
// that fails through SVLogError itself does not loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_log.h"
#include "platform/foundation/log.h"
#include "platform/foundation/testing/log_capture.h"

namespace zelvan::selvo {
namespace {

class MinLevel {
public:
    explicit MinLevel(fnd::LogLevel level) : previous_(fnd::minLogLevel()) { fnd::setMinLogLevel(level); }
    ~MinLevel() { fnd::setMinLogLevel(previous_); }

private:
    fnd::LogLevel previous_;
};

TEST(SVLogTest, VerboseSwitchAndErrorSink) {
    MinLevel debug(fnd::LogLevel::Debug);
    fnd::testing::LogCapture capture;
    auto context = std::make_shared<SelvoContext>();
    std::vector<std::string> sunk;
    context->setErrorSink([&](const std::string& line) { sunk.push_back(line); });

    SVLog(context, "trace %d", 1);
    SVLogError(context, "Error: %@", std::string("could not open"));
    EXPECT_FALSE(capture.contains("trace 1"));
    ASSERT_EQ(sunk.size(), 1u);
    EXPECT_EQ(sunk[0].rfind("sv_log_test.cpp:", 0), 0u) << sunk[0];
    EXPECT_NE(sunk[0].find("; Error: could not open"), std::string::npos) << sunk[0];
    EXPECT_EQ(capture.count("Error: could not open"), 1u);
    EXPECT_TRUE(capture.contains("WARN "));

    context->setVerbose(true);
    SVLog(context, "trace %d", 2);
    EXPECT_TRUE(capture.contains("; trace 2"));
    EXPECT_EQ(sunk.size(), 1u);
}

TEST(SVLogTest, FailingSinkDoesNotLoopAndNoSinkOnlyLogs) {
    fnd::testing::LogCapture capture;
    auto context = std::make_shared<SelvoContext>();
    SVLogError(context, "before any sink");
    EXPECT_TRUE(capture.contains("before any sink"));

    int calls = 0;
    context->setErrorSink([&](const std::string&) {
        ++calls;
        SVLogError(context, "Error: Could not store the error");
    });
    SVLogError(context, "first");
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(capture.contains("Could not store the error"));
    SVLogError(context, "second");
    EXPECT_EQ(calls, 2);
}

} // namespace
} // namespace zelvan::selvo
