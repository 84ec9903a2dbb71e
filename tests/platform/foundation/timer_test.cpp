// Timers: firing order under the manual clock, the repeat grid and catch-up, invalidation and
// what the loop keeps alive, manual fire, and modes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/foundation/timer.h"

namespace fnd {
namespace {

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = ManualClock::install();
        start_ = Clock::monotonic();
    }
    void TearDown() override {
        RunLoop::main().runUntilIdle();
        Clock::install(nullptr);
    }
    double elapsed() const { return Clock::monotonic() - start_; }

    std::shared_ptr<ManualClock> clock_;
    double start_ = 0;
};

TEST_F(TimerTest, FireInDeadlineOrderOnTheirGrid) {
    std::vector<std::pair<std::string, double>> fired;
    auto once = Timer::scheduled(1.0, Repeats::No, [&](Timer&) { fired.emplace_back("once", elapsed()); });
    auto tick = Timer::scheduled(0.4, Repeats::Yes, [&](Timer& t) {
        fired.emplace_back("tick", elapsed());
        if (fired.size() == 1) {
            // Created during the window, due inside it: fires in the same advance.
            Timer::scheduled(0.1, Repeats::No, [&](Timer&) { fired.emplace_back("nested", elapsed()); });
        }
        EXPECT_TRUE(t.isValid());
    });
    RunLoop::main().advance(1.0);
    std::vector<std::pair<std::string, double>> expected{{"tick", 0.4}, {"nested", 0.5}, {"tick", 0.8}, {"once", 1.0}};
    ASSERT_EQ(fired.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(fired[i].first, expected[i].first) << i;
        EXPECT_NEAR(fired[i].second, expected[i].second, 1e-9) << i;
    }
    EXPECT_FALSE(once->isValid()); // a one-shot timer ends after firing
    EXPECT_TRUE(tick->isValid());
    tick->invalidate();
    RunLoop::main().advance(2.0);
    EXPECT_EQ(fired.size(), expected.size());
}

TEST_F(TimerTest, ALateLoopFiresOnceThenKeepsToTheGrid) {
    std::vector<double> fired;
    auto timer = Timer::scheduled(1.0, Repeats::Yes, [&](Timer&) { fired.push_back(elapsed()); });
    clock_->advance(3.5); // the loop missed the ticks at 1, 2 and 3
    RunLoop::main().runUntilIdle();
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_NEAR(fired[0], 3.5, 1e-9);
    RunLoop::main().advance(0.4);
    EXPECT_EQ(fired.size(), 1u);
    RunLoop::main().advance(0.6);
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_NEAR(fired[1], 4.0, 1e-9);
    timer->invalidate();
}

TEST_F(TimerTest, TheLoopHoldsATimerUntilInvalidated) {
    auto target = std::make_shared<int>(0);
    std::weak_ptr<int> weakTarget = target;
    std::weak_ptr<Timer> weakTimer;
    {
        auto timer = Timer::scheduled(
            0.5, Repeats::Yes,
            [target](Timer& t) {
                if (++*target == 3) {
                    t.invalidate(); // from inside its own callback
                }
            },
            Value("payload"));
        weakTimer = timer;
        EXPECT_EQ(timer->userInfo().stringValue(), "payload");
        EXPECT_DOUBLE_EQ(timer->timeInterval(), 0.5);
    }
    target.reset();
    EXPECT_FALSE(weakTimer.expired()); // kept by the loop, with its captures
    RunLoop::main().advance(5.0);
    EXPECT_TRUE(weakTimer.expired());
    EXPECT_TRUE(weakTarget.expired()); // invalidation released the callback after three ticks

    // Invalidation from outside removes a pending timer before it fires.
    int fired = 0;
    auto pending = Timer::scheduled(1.0, Repeats::No, [&](Timer&) { ++fired; });
    pending->invalidate();
    EXPECT_FALSE(pending->isValid());
    RunLoop::main().advance(2.0);
    EXPECT_EQ(fired, 0);
}

TEST_F(TimerTest, FireRunsNowWithoutMovingTheSchedule) {
    std::vector<double> fired;
    auto repeating = Timer::scheduled(1.0, Repeats::Yes, [&](Timer&) { fired.push_back(elapsed()); });
    repeating->fire();
    RunLoop::main().advance(1.0);
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_NEAR(fired[0], 0.0, 1e-9);
    EXPECT_NEAR(fired[1], 1.0, 1e-9);
    repeating->invalidate();
    repeating->fire(); // invalid: nothing
    EXPECT_EQ(fired.size(), 2u);

    int onceFired = 0;
    auto once = Timer::scheduled(1.0, Repeats::No, [&](Timer&) { ++onceFired; });
    once->fire();
    EXPECT_FALSE(once->isValid());
    RunLoop::main().advance(2.0);
    EXPECT_EQ(onceFired, 1);
}

TEST_F(TimerTest, AddedTimersFireOnlyInTheirModes) {
    RunLoop& main = RunLoop::main();
    std::vector<std::string> fired;
    auto custom = Timer::create(0.5, Repeats::Yes, [&](Timer&) { fired.push_back("custom"); });
    main.addTimer(custom, "Prefetch");
    main.advance(1.0); // the drivers run Default: nothing
    EXPECT_TRUE(fired.empty());
    EXPECT_TRUE(main.runMode("Prefetch", Date::now())); // overdue: fires once
    EXPECT_EQ(fired.size(), 1u);

    main.addTimer(custom, RunLoopMode::Default); // now in both modes
    main.advance(0.5);
    EXPECT_EQ(fired.size(), 2u);
    custom->invalidate();
    EXPECT_FALSE(main.runMode("Prefetch", Date::now()));
}

} // namespace
} // namespace fnd
