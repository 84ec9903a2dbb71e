// The process clock (system and manual) and the log with its sinks.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/foundation/thread.h"

namespace fnd {
namespace {

TEST(ClockTest, ManualClockMovesOnlyWhenAdvancedAndWakesWaiters) {
    auto clock = ManualClock::install();
    EXPECT_TRUE(Clock::manual());
    EXPECT_DOUBLE_EQ(Clock::monotonic(), 1000.0);
    // 2010-01-01 00:00:00 UTC as Unix time.
    EXPECT_DOUBLE_EQ(Clock::now().since1970(), 1262304000.0);

    std::atomic<int> woken{0};
    auto token = Clock::addWaiter([&] { ++woken; });
    clock->advance(2.5);
    EXPECT_DOUBLE_EQ(Clock::monotonic(), 1002.5);
    EXPECT_DOUBLE_EQ(Date::now().timeIntervalSinceDate(Date::fromUnix(1262304000.0)), 2.5);
    clock->advance(-5); // time never runs backwards
    EXPECT_DOUBLE_EQ(Clock::monotonic(), 1002.5);
    clock->advanceTo(1001.0);
    EXPECT_DOUBLE_EQ(Clock::monotonic(), 1002.5);
    clock->advanceTo(1010.0);
    EXPECT_DOUBLE_EQ(Clock::monotonic(), 1010.0);
    EXPECT_EQ(woken.load(), 4);
    Clock::removeWaiter(token);
    clock->advance(1);
    EXPECT_EQ(woken.load(), 4);

    Clock::install(nullptr);
    EXPECT_FALSE(Clock::manual());
    EXPECT_GT(Clock::now().since1970(), 1.7e9);
}

TEST(DateTest, ConvertsBetweenReferenceAndUnixTime) {
    EXPECT_DOUBLE_EQ(Date::fromUnix(978307200.0).sinceReferenceDate(), 0.0);
    EXPECT_DOUBLE_EQ(Date::fromUnixMs(978307201500).sinceReferenceDate(), 1.5);
    EXPECT_DOUBLE_EQ(Date(10).since1970(), 978307210.0);
    EXPECT_LT(Date(1), Date(2));
    EXPECT_DOUBLE_EQ(Date(5).timeIntervalSinceDate(Date(2)), 3.0);
}

TEST(LogTest, SinksReceiveLinesUntilRemoved) {
    testing::LogCapture capture;
    ZLOG(Info, "first line");
    {
        testing::LogCapture inner;
        ZLOG(Info, "second line");
        EXPECT_EQ(inner.lines().size(), 1u);
    }
    EXPECT_TRUE(capture.contains("first"));
    EXPECT_EQ(capture.count("line"), 2u);
    capture.clear();
    EXPECT_TRUE(capture.lines().empty());

    // A sink may remove itself from inside its call.
    LogSinkToken self = 0;
    int selfCalls = 0;
    self = addLogSink([&](const std::string&) {
        ++selfCalls;
        removeLogSink(self);
    });
    ZLOG(Info, "one");
    ZLOG(Info, "two");
    EXPECT_EQ(selfCalls, 1);
}

TEST(LogTest, RemovalWaitsForACallAnotherThreadIsMaking) {
    std::mutex mutex;
    std::condition_variable cv;
    bool entered = false, release = false;
    std::atomic<bool> inside{false};
    LogSinkToken token = addLogSink([&](const std::string& line) {
        if (line != "held") {
            return;
        }
        std::unique_lock lock(mutex);
        inside = true;
        entered = true;
        cv.notify_all();
        cv.wait(lock, [&] { return release; });
        inside = false;
    });
    Thread logger([] { ZLOG(Info, "held"); });
    logger.start();
    {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return entered; });
    }
    std::atomic<bool> removing{false};
    std::atomic<bool> insideAfterRemoval{true};
    Thread remover([&] {
        removing = true;
        removeLogSink(token);
        insideAfterRemoval = inside.load(); // the sink's owner would be destroyed here
    });
    remover.start();
    ASSERT_TRUE(RunLoop::main().pumpUntil([&] { return removing.load(); }));
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    cv.notify_all();
    remover.join();
    logger.join();
    EXPECT_FALSE(insideAfterRemoval.load());
}

} // namespace
} // namespace fnd
