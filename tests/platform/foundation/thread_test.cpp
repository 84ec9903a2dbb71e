// Threads: the main-thread mark, names and identities, cooperative cancel, detached threads,
// exceptions in a body, and sleeping under the manual clock.
#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/foundation/clock.h"
#include "platform/foundation/clock_sleep.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/foundation/thread.h"

namespace fnd {
namespace {

TEST(ThreadTest, NamesIdentitiesAndTheMainMark) {
    EXPECT_TRUE(isMainThread());
    EXPECT_EQ(Thread::current().name(), "main");
    EXPECT_EQ(Thread::current().identityHex(), Thread::current().identityHex());

    std::string seenName, osName, seenIdentity;
    bool workerIsMain = true;
    bool currentIsHandle = false;
    Thread worker([&] {
        seenName = Thread::current().name();
        char buf[32] = {};
        ::pthread_getname_np(::pthread_self(), buf, sizeof buf);
        osName = buf;
        seenIdentity = Thread::current().identityHex();
        workerIsMain = isMainThread();
    });
    worker.setName("GameEngineThread");
    EXPECT_FALSE(worker.isExecuting());
    worker.start();
    worker.join();
    EXPECT_TRUE(worker.isFinished());
    EXPECT_EQ(seenName, "GameEngineThread");
    EXPECT_EQ(osName, "GameEngineThrea"); // the OS keeps 15 bytes
    EXPECT_EQ(seenIdentity, worker.identityHex());
    EXPECT_NE(seenIdentity, Thread::current().identityHex());
    EXPECT_EQ(seenIdentity.rfind("0x", 0), 0u);
    EXPECT_FALSE(workerIsMain);

    // Inside a started thread, Thread::current() is the handle that started it.
    std::shared_ptr<Thread> starter;
    Thread self([&] { currentIsHandle = Thread::current() == *starter; });
    starter = std::make_shared<Thread>(self);
    self.start();
    self.join();
    EXPECT_TRUE(currentIsHandle);
}

TEST(ThreadTest, CancelIsCooperativeAndBodiesKeepTheirCaptures) {
    std::atomic<bool> started{false};
    std::atomic<int> spins{0};
    Thread worker([&] {
        started = true;
        while (!Thread::current().isCancelled()) {
            ++spins;
            std::this_thread::yield();
        }
    });
    worker.start();
    ASSERT_TRUE(RunLoop::main().pumpUntil([&] { return started.load(); }));
    EXPECT_TRUE(worker.isExecuting());
    worker.cancel();
    worker.join();
    EXPECT_TRUE(worker.isCancelled());
    EXPECT_TRUE(worker.isFinished());

    // A detached thread keeps what it captured until its body is done, then releases it.
    auto payload = std::make_shared<std::string>("kept");
    std::weak_ptr<std::string> weak = payload;
    std::atomic<bool> sawPayload{false};
    Thread::detach([payload, &sawPayload] { sawPayload = *payload == "kept"; });
    payload.reset();
    EXPECT_TRUE(RunLoop::main().pumpUntil([&] { return weak.expired(); }));
    EXPECT_TRUE(sawPayload.load());

    // An exception escaping a body is logged and the process goes on.
    testing::LogCapture capture;
    Thread thrower([] { throw std::runtime_error("body failed"); });
    thrower.setName("Thrower");
    thrower.start();
    thrower.join();
    EXPECT_TRUE(capture.contains("Thrower"));
    EXPECT_TRUE(capture.contains("body failed"));
}

TEST(ThreadTest, SleepForWaitsForTheManualClock) {
    auto clock = ManualClock::install();
    const double start = Clock::monotonic();
    std::atomic<double> wokeAt{0};
    Thread sleeper([&] {
        Thread::sleepFor(2.0);
        wokeAt = Clock::monotonic() - start;
    });
    sleeper.start();
    ASSERT_TRUE(RunLoop::main().pumpUntil([&] { return clock->sleepers() == 1; }));
    clock->advance(1.5); // not yet: the sleeper goes back to sleep
    clock->advance(0.5);
    EXPECT_TRUE(RunLoop::main().pumpUntil([&] { return wokeAt.load() > 0; }));
    sleeper.join();
    // Had it woken at the first advance, it would have read 1.5.
    EXPECT_DOUBLE_EQ(wokeAt.load(), 2.0);
    EXPECT_EQ(clock->sleepers(), 0);

    Thread::sleepFor(0); // no time to wait: returns at once under a frozen clock
    Thread::sleepFor(-1);

    // Under a clock that is not manual, a very long sleep waits (and is cut short) instead of
    // spinning on the clock.
    struct CountingClock final : Clock {
        Date wallTime() const override { return Date(0); }
        double monotonicTime() const override {
            reads += isMainThread() ? 0 : 1;
            return 0;
        }
        mutable std::atomic<int> reads{0};
    };
    auto counting = std::make_shared<CountingClock>();
    Clock::install(counting);
    ClockSleep longSleep;
    std::atomic<bool> slept{true};
    Thread longSleeper([&] { slept = longSleep.sleepFor(1e12); });
    longSleeper.start();
    ASSERT_TRUE(RunLoop::main().pumpUntil([&] { return counting->reads.load() >= 2; }));
    longSleep.interrupt();
    longSleeper.join();
    EXPECT_FALSE(slept.load());
    EXPECT_LT(counting->reads.load(), 10);
    Clock::install(nullptr);
}

} // namespace
} // namespace fnd
