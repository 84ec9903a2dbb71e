// The script engine facade: the do-nothing base engine, its command queue across threads, and the
// engine lock around calls (a nested call on the same thread is refused, calls from other threads
// wait their turn, the state is set under the lock), and the stop of a game whose runs never return.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "games/engine/base_script_engine.h"
#include "games/engine/stl_script_core.h"
#include "games/engine/stl_script_engine.h"
#include "platform/foundation/testing/log_capture.h"
#include "protocol/tracer.h"
#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

TEST(ScriptEngineTest, BaseEngineRunsNothing) {
    BaseScriptEngine engine(fnd::Bytes{0}, 11, 22, 33, fnd::Value::array({"7"}), fnd::Value::array({"ann"}), 320, 480);
    EXPECT_TRUE(engine.call("start", fnd::Value::array({1})).isNull());
    EXPECT_EQ(engine.state(), -2);
    engine.setstate(5);
    engine.gc();
    engine.setContext(nullptr, 0);
    EXPECT_EQ(engine.state(), -2);
    EXPECT_EQ(engine.myId(), 11);
    EXPECT_EQ(engine.room(), 22);
    EXPECT_EQ(engine.gameId(), 33);
    EXPECT_EQ(engine.width(), 320);
    EXPECT_EQ(engine.height(), 480);
    EXPECT_EQ(engine.userids(), fnd::Value::array({"7"}));
    EXPECT_EQ(engine.names(), fnd::Value::array({"ann"}));
    EXPECT_EQ(engine._userScore(), -1000000);
    EXPECT_EQ(engine.foescore(), 0);
    EXPECT_EQ(engine.cmdCount(), 0u);
    EXPECT_FALSE(engine.takeOldestCmd().has_value());
}

TEST(ScriptEngineTest, CommandQueueIsFifoAcrossThreads) {
    BaseScriptEngine engine(fnd::Bytes{}, 1, 2, 3, fnd::Value(), fnd::Value(), 10, 10);
    constexpr int kCount = 20000;
    std::thread producer([&] {
        for (int i = 0; i < kCount; ++i) {
            engine.addCmd(fnd::Value::array({i}));
        }
    });
    std::vector<int64_t> taken;
    while (taken.size() < static_cast<size_t>(kCount)) {
        if (std::optional<fnd::Value> cmd = engine.takeOldestCmd()) {
            taken.push_back(cmd->asArray()->objectAtIndex(0).asInt().value_or(-1));
        } else {
            std::this_thread::yield();
        }
    }
    producer.join();
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(taken[static_cast<size_t>(i)], i);
    }
    EXPECT_EQ(engine.cmdCount(), 0u);

    engine.setCmds(fnd::Value::array({"a", "b"}));
    EXPECT_EQ(engine.cmdCount(), 2u);
    EXPECT_EQ(engine.takeOldestCmd(), fnd::Value("a"));
    engine.setCmds(fnd::Value());
    EXPECT_EQ(engine.cmdCount(), 0u);
}

// Natives are plain functions, so the test's hooks live here.
std::atomic<int> gNestedResultIsNull{-1};
std::function<void()> gInsideNative;

ScriptValue callBackIn(STLScriptCore& core, std::span<const ScriptValue>) {
    fnd::Value nested = core.engine().call("inner", fnd::Value());
    gNestedResultIsNull = nested.isNull() ? 1 : 0;
    return fromInt(1);
}

ScriptValue runHook(STLScriptCore&, std::span<const ScriptValue>) {
    if (gInsideNative) {
        gInsideNative();
    }
    return fromInt(2);
}

constexpr const char* kProgram = ".entry \"outer\" G3\n.entry \"inner\" G4\n.entry \"hook\" G5\n"
                                 ".entry \"state\" G6\n"
                                 "    func outer\n    store G3\n    func inner\n    store G4\n"
                                 "    func hook\n    store G5\n    func getstate\n    store G6\n    stop\n"
                                 "outer:\n    native 120 0\n    ret\n"
                                 "inner:\n    push 42\n    ret\n"
                                 "hook:\n    native 121 0\n    ret\n"
                                 "getstate:\n    load G2\n    ret\n";

TEST(ScriptEngineTest, NestedCallOnTheSameThreadIsRefused) {
    auto engine = testing::engineFor(kProgram);
    ASSERT_NE(engine->core(), nullptr);
    engine->core()->natives().registerNative(120, callBackIn);
    fnd::testing::LogCapture log;
    EXPECT_EQ(engine->call("outer", fnd::Value()), fnd::Value(1));
    EXPECT_EQ(gNestedResultIsNull.load(), 1);
    EXPECT_TRUE(log.contains("call of \"inner\" refused")) << ::testing::PrintToString(log.lines());
    EXPECT_FALSE(engine->isRunning());
    // The refusal left the engine usable.
    EXPECT_EQ(engine->call("inner", fnd::Value()), fnd::Value(42));
}

TEST(ScriptEngineTest, CallsFromTwoThreadsAreSerialisedNotRefused) {
    auto engine = testing::engineFor(kProgram);
    fnd::testing::LogCapture log;
    std::atomic<int> wrong{0};
    auto worker = [&] {
        for (int i = 0; i < 300; ++i) {
            if (engine->call("inner", fnd::Value()) != fnd::Value(42)) {
                ++wrong;
            }
        }
    };
    std::thread other(worker);
    worker();
    other.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_FALSE(log.contains("refused"));
}

TEST(ScriptEngineTest, StateAndGcWaitForTheRunningCall) {
    auto engine = testing::engineFor(kProgram);
    engine->core()->natives().registerNative(121, runHook);
    EXPECT_EQ(engine->state(), -1);

    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
    std::atomic<bool> setterStarted{false};
    std::atomic<bool> setterDone{false};
    std::atomic<bool> doneWhileRunning{false};
    std::atomic<int> stateSeenInside{0};
    gInsideNative = [&] {
        entered = true;
        while (!setterStarted) {
            std::this_thread::yield();
        }
        // The setter is now blocked on the engine lock; give it ample chance to get through wrongly.
        for (int i = 0; i < 20000 && !release; ++i) {
            std::this_thread::yield();
            if (setterDone) {
                doneWhileRunning = true;
            }
        }
        stateSeenInside = engine->state();
    };
    std::thread runner([&] { engine->call("hook", fnd::Value()); });
    while (!entered) {
        std::this_thread::yield();
    }
    std::thread setter([&] {
        setterStarted = true;
        engine->setstate(7);
        engine->gc();
        setterDone = true;
    });
    runner.join();
    setter.join();
    gInsideNative = nullptr;

    EXPECT_FALSE(doneWhileRunning.load());
    EXPECT_EQ(stateSeenInside.load(), -1);
    EXPECT_EQ(engine->state(), 7);
    // The state is mirrored into global 2, which the script reads.
    EXPECT_EQ(engine->call("state", fnd::Value()), fnd::Value(7));
}

TEST(ScriptEngineTest, RunsThatNeverReturnStopTheGameOnlyWhenTheyComeInARow) {
    // "spin" never returns, "ok" returns 5, "bad" faults at once (stack underflow).
    auto engine = testing::engineFor(".entry \"spin\" G3\n.entry \"ok\" G4\n.entry \"bad\" G5\n"
                                     "    func spin\n    store G3\n    func ok\n    store G4\n"
                                     "    func bad\n    store G5\n    stop\n"
                                     "spin:\n    jump16 spin\n"
                                     "ok:\n    push 5\n    ret\n"
                                     "bad:\n    pop\n    ret\n");
    engine->core()->setInstructionBudget(10'000);
    fnd::testing::LogCapture log(fnd::testing::LogCapture::Repeats::All); // counts every run's line
    // Two stops, then a normal return: the count starts again.
    for (const char* name : {"spin", "spin", "ok", "spin", "spin"}) {
        engine->call(name, fnd::Value());
    }
    // A fault or an unknown entry point neither counts nor starts the count again.
    engine->call("bad", fnd::Value());
    engine->call("none", fnd::Value());
    EXPECT_FALSE(engine->stopped());
    engine->call("spin", fnd::Value());
    EXPECT_TRUE(engine->stopped());
    EXPECT_TRUE(
        log.contains("game 77 stopped: 3 runs in a row spent the whole instruction budget, the last of \"spin\""));
    // Stopped: nothing runs any more.
    EXPECT_TRUE(engine->call("ok", fnd::Value()).isNull());
    EXPECT_EQ(log.count("instruction budget exhausted"), 5u);
}

} // namespace
} // namespace zelvan
