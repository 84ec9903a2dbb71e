// Run loops: posting order across threads, postAndWait, delayed performs under the manual clock,
// modes, exceptions in tasks, loops on worker threads, and socket completions waking a loop.
#include <gtest/gtest.h>

#include <asio/ip/tcp.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/run_loop_io.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/timer.h"

namespace fnd {
namespace {

class RunLoopTest : public ::testing::Test {
protected:
    void SetUp() override { clock_ = ManualClock::install(); }
    void TearDown() override {
        RunLoop::main().runUntilIdle();
        Clock::install(nullptr);
    }

    std::shared_ptr<ManualClock> clock_;
    std::vector<std::string> order_;
    std::mutex orderMutex_;
    void record(const std::string& what) {
        std::lock_guard lock(orderMutex_);
        order_.push_back(what);
    }
};

TEST_F(RunLoopTest, PostsRunInOrderFromAnyThread) {
    RunLoop& main = RunLoop::main();
    EXPECT_TRUE(main.isCurrent());
    EXPECT_EQ(&RunLoop::current(), &main);
    main.post([&] { record("a"); });
    main.post([&] {
        record("b");
        RunLoop::main().post([&] { record("d"); }); // posted while running: after c
    });
    main.post([&] { record("c"); });
    Thread worker([&] {
        EXPECT_FALSE(RunLoop::main().isCurrent());
        RunLoop::main().post([&] { record("worker"); });
    });
    worker.start();
    worker.join();
    EXPECT_TRUE(main.pumpUntil([&] { return order_.size() == 5; }));
    EXPECT_EQ(order_, (std::vector<std::string>{"a", "b", "c", "worker", "d"}));
}

TEST_F(RunLoopTest, PostAndWaitRunsInlineOnItsOwnLoopAndBlocksAcrossThreads) {
    RunLoop& main = RunLoop::main();
    bool inlineRan = false;
    EXPECT_TRUE(main.postAndWait([&] { inlineRan = true; }));
    EXPECT_TRUE(inlineRan); // ran before postAndWait returned, without pumping

    std::atomic<bool> workerDone{false};
    bool ranOnMain = false;
    bool result = false;
    Thread worker([&] {
        result = RunLoop::main().postAndWait([&] { ranOnMain = isMainThread(); });
        workerDone = true;
    });
    worker.start();
    EXPECT_TRUE(main.pumpUntil([&] { return workerDone.load(); }));
    worker.join();
    EXPECT_TRUE(result);
    EXPECT_TRUE(ranOnMain);

    // A loop whose thread has ended refuses at once instead of leaving the caller blocked.
    std::shared_ptr<RunLoop> gone;
    Thread ended([&] { gone = RunLoop::current().shared_from_this(); });
    ended.start();
    ended.join();
    testing::LogCapture capture;
    bool ran = false;
    EXPECT_FALSE(gone->postAndWait([&] { ran = true; }));
    EXPECT_FALSE(ran);
    EXPECT_TRUE(capture.contains("thread has ended"));
}

TEST_F(RunLoopTest, DelayedPerformsFollowTheManualClockAndCancel) {
    RunLoop& main = RunLoop::main();
    const double start = Clock::monotonic();
    std::vector<double> firedAt;
    main.post([&] { record("posted"); });
    main.performAfter(0, [&] { record("zero"); });
    auto late = main.performAfter(0.5, [&] { record("late"); });
    main.performAfter(0.2, [&] {
        record("early");
        firedAt.push_back(Clock::monotonic() - start);
        RunLoop::main().performAfter(0.05, [&] {
            record("chained");
            firedAt.push_back(Clock::monotonic() - start);
        });
    });
    main.advance(0);
    EXPECT_EQ(order_, (std::vector<std::string>{"posted", "zero"}));

    main.advance(0.3);
    EXPECT_EQ(order_, (std::vector<std::string>{"posted", "zero", "early", "chained"}));
    ASSERT_EQ(firedAt.size(), 2u);
    EXPECT_NEAR(firedAt[0], 0.2, 1e-9);
    EXPECT_NEAR(firedAt[1], 0.25, 1e-9);
    EXPECT_NEAR(Clock::monotonic() - start, 0.3, 1e-9);

    EXPECT_TRUE(late.isPending());
    late.cancel();
    EXPECT_FALSE(late.isPending());
    main.advance(1.0);
    EXPECT_EQ(order_.size(), 4u);

    // The perform holds what it captures until it has run.
    auto target = std::make_shared<int>(7);
    std::weak_ptr<int> weak = target;
    main.performAfter(1.0, [target] { (void)target; });
    target.reset();
    EXPECT_FALSE(weak.expired());
    main.advance(1.0);
    EXPECT_TRUE(weak.expired());
}

TEST_F(RunLoopTest, RunModeServicesOnlyItsModeAndWaitsForTheClock) {
    RunLoop& main = RunLoop::main();
    // Nothing registered: returns false at once (under a frozen manual clock it would otherwise
    // block for good).
    EXPECT_FALSE(main.runMode("Idle", Date::now().addingTimeInterval(60)));

    main.performAfter(0, [&] { record("default"); });
    main.performAfter(
        0, [&] { record("custom"); }, "Custom");
    auto common = Timer::create(0, Repeats::No, [&](Timer&) { record("common"); });
    main.addTimer(common, RunLoopMode::Common);
    EXPECT_TRUE(main.runMode("Custom", Date::now().addingTimeInterval(60)));
    EXPECT_EQ(order_, (std::vector<std::string>{"custom", "common"}));
    EXPECT_TRUE(main.runMode(RunLoopMode::Default, Date::now()));
    EXPECT_EQ(order_.back(), "default");

    // Blocked in a custom mode, the loop wakes when another thread advances the clock.
    const double start = Clock::monotonic();
    main.performAfter(
        1.0, [&] { record("after clock"); }, "Custom");
    Thread advancer([clock = clock_] { clock->advance(1.0); });
    advancer.start();
    EXPECT_TRUE(main.runMode("Custom", Date::now().addingTimeInterval(60)));
    advancer.join();
    EXPECT_EQ(order_.back(), "after clock");
    EXPECT_GE(Clock::monotonic() - start, 1.0);

    // stop() makes the running call return; a posted task wakes run() under the frozen clock.
    main.post([&] { RunLoop::main().stop(); });
    main.run();
    // runFor ends at its deadline in clock time; the advance starts once runFor is running.
    main.performAfter(2.0, [&] { record("runFor"); });
    Thread advancer2([clock = clock_] { clock->advance(3.0); });
    main.post([&] { advancer2.start(); });
    main.runFor(2.5);
    advancer2.join();
    EXPECT_EQ(order_.back(), "runFor");
}

// Time that moves past a run's deadline while a pass is under way (another thread advancing the clock)
// still lets what fell due before the deadline run before the run returns.
TEST_F(RunLoopTest, WhatFellDueBeforeTheDeadlineRunsWhenTimeJumpsPastItMidPass) {
    RunLoop& main = RunLoop::main();
    main.performAfter(2.0, [&] { record("due at 2"); });
    bool jumped = false;
    const uint64_t observer = main.addPassObserver([&] {
        if (!jumped) {
            jumped = true;
            clock_->advance(3.0);
        }
    });
    main.runFor(2.5);
    main.removePassObserver(observer);
    EXPECT_EQ(order_, std::vector<std::string>{"due at 2"});
}

TEST_F(RunLoopTest, ExceptionsInCallbacksAreLoggedAndTheLoopContinues) {
    RunLoop& main = RunLoop::main();
    testing::LogCapture capture;
    main.post([] { throw std::runtime_error("posted boom"); });
    main.post([&] { record("after posted"); });
    main.performAfter(0.1, [] { throw std::logic_error("perform boom"); });
    Timer::scheduled(0.2, Repeats::No, [](Timer&) { throw 42; });
    main.performAfter(0.3, [&] { record("after timers"); });
    main.advance(0.5);
    EXPECT_EQ(order_, (std::vector<std::string>{"after posted", "after timers"}));
    EXPECT_TRUE(capture.contains("posted boom"));
    EXPECT_TRUE(capture.contains("perform boom"));
    EXPECT_TRUE(capture.contains("unknown exception escaped a timer callback"));
}

TEST_F(RunLoopTest, WorkerLoopsServePostsAndSettle) {
    std::shared_ptr<RunLoop> workerLoop;
    std::atomic<bool> ready{false};
    Thread worker([&] {
        Thread::current().setName("Network");
        workerLoop = RunLoop::current().shared_from_this();
        ready = true;
        RunLoop::current().run();
    });
    worker.start();
    ASSERT_TRUE(RunLoop::main().pumpUntil([&] { return ready.load(); }));

    std::atomic<int> ran{0};
    for (int i = 0; i < 20; ++i) {
        workerLoop->post([&] {
            EXPECT_EQ(Thread::current().name(), "Network");
            ++ran;
        });
    }
    workerLoop->performAfter(1.0, [&] { ran += 100; });
    EXPECT_TRUE(testing::settle());
    EXPECT_EQ(ran.load(), 20);
    RunLoop::main().advance(1.0); // wakes the worker, whose timer is now due
    EXPECT_TRUE(testing::settle());
    EXPECT_EQ(ran.load(), 120);
    bool onWorker = false;
    EXPECT_TRUE(workerLoop->postAndWait([&] { onWorker = workerLoop->isCurrent(); }));
    EXPECT_TRUE(onWorker);
    workerLoop->stop();
    worker.join();
}

// stop() from another thread lands at every point of a run that is just starting: before it, between its
// check for a stop and its wait, inside its first pass. Every run it lands in must return. A third thread
// per pair keeps the loop's lock busy, which stretches the run's steps apart.
TEST_F(RunLoopTest, AStopFromAnotherThreadEndsTheRunWhereverItLands) {
    Clock::install(nullptr); // a lost stop then leaves the run waiting for good, not for a manual slice
    constexpr int kRounds = 2000;
    const int pairs = static_cast<int>(std::max(2u, std::thread::hardware_concurrency()));
    std::atomic<int> lost{0};
    std::vector<std::thread> stoppers;
    for (int pair = 0; pair < pairs; ++pair) {
        stoppers.emplace_back([&lost] {
            std::shared_ptr<RunLoop> loop;
            std::atomic<int> entering{0};
            std::atomic<int> returned{0};
            std::atomic<bool> done{false};
            Thread runner([&] {
                loop = RunLoop::current().shared_from_this();
                while (!done) {
                    entering.fetch_add(1);
                    RunLoop::current().run();
                    returned.fetch_add(1);
                }
            });
            runner.start();
            while (entering.load() < 1) {
                std::this_thread::yield();
            }
            // Takes the loop's lock over and over without waking the loop.
            std::atomic<bool> contend{true};
            std::thread contender([&contend, target = loop] {
                while (contend) {
                    target->removePassObserver(0);
                }
            });
            for (int round = 1; round <= kRounds && lost == 0; ++round) {
                while (entering.load() < round) {
                    std::this_thread::yield();
                }
                if (round == kRounds) {
                    done = true;
                }
                loop->stop();
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
                while (returned.load() < round) {
                    if (std::chrono::steady_clock::now() > deadline) {
                        ++lost;
                        break;
                    }
                    std::this_thread::yield();
                }
            }
            contend = false;
            contender.join();
            done = true;
            loop->stop(); // frees a runner whose stop was lost, so the test can end
            runner.join();
        });
    }
    for (std::thread& stopper : stoppers) {
        stopper.join();
    }
    EXPECT_EQ(lost.load(), 0) << "runs kept waiting after a stop";
}

TEST_F(RunLoopTest, SocketCompletionWakesALoopBlockedUnderTheManualClock) {
    RunLoop& main = RunLoop::main();
    asio::ip::tcp::acceptor acceptor(detail::ioContextOf(main), {asio::ip::make_address("127.0.0.1"), 0});
    asio::ip::tcp::socket server(detail::ioContextOf(main));
    std::string received(5, '\0');
    bool accepted = false;
    bool readDone = false;
    acceptor.async_accept(server, [&](std::error_code ec) {
        ASSERT_FALSE(ec);
        accepted = true;
        asio::async_read(server, asio::buffer(received), [&](std::error_code rec, size_t) {
            EXPECT_FALSE(rec);
            readDone = true;
        });
    });
    const uint16_t port = acceptor.local_endpoint().port();
    Thread client([port] {
        asio::io_context io;
        asio::ip::tcp::socket socket(io);
        socket.connect({asio::ip::make_address("127.0.0.1"), port});
        asio::write(socket, asio::buffer(std::string("hello")));
    });
    client.start();
    // Manual time never moves here: only the socket completions can end each runMode call.
    for (int i = 0; i < 10 && !readDone; ++i) {
        EXPECT_TRUE(main.runMode(RunLoopMode::Default, Date::now().addingTimeInterval(3600)));
    }
    client.join();
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(readDone);
    EXPECT_EQ(received, "hello");
    EXPECT_DOUBLE_EQ(Clock::monotonic(), ManualClock::kStartMonotonic);
}

} // namespace
} // namespace fnd
