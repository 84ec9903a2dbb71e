// What keeps natives and long instructions within bounds: the run's budget charged by comparisons
// and searches, arithmetic that never sees an object's address, the wait native pumping the run loop
// while the engine refuses re-entry, and the guard that saves and restores the main surface's state.
#include <gtest/gtest.h>

#include "games/engine/natives/game_host.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/bitmap_context.h"
#include "platform/graphics/context.h"
#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

using testing::runMain;

const fnd::Value null;

TEST(NativesLimitsTest, LongWorkSpendsTheRunsBudget) {
    // L0: 3000 times the same array x of 3000 zeros; L1: x with a 1 at the end; L5: 3000 times a copy
    // of x; L6: L0 then L5. Every comparison of x with L1 or with its copy walks 3000 pairs, so each
    // probe below does about 9 M steps of work in one instruction.
    const std::string build = "push 0\n mkarray 1\n push16 3000\n mul\n store L2\n load L2\n mkarray 1\n"
                              " push16 3000\n mul\n store L0\n load L2\n push 1\n mkarray 1\n add\n store L1\n"
                              " load L2\n copy\n mkarray 1\n push16 3000\n mul\n store L5\n"
                              " load L0\n load L5\n add\n store L6\n load L1\n mkarray 1\n load L0\n add\n store L4\n";
    const std::string probes[] = {
        "load L1\n load L0\n in\n ret",
        "load L1\n load L0\n notin\n ret",
        "load L0\n load L1\n native 20 2\n ret",
        "load L0\n load L1\n native 22 2\n ret",
        "load L6\n push 1\n native 23 2\n pop\n push 0\n ret",
        "load L4\n native 14 1\n ret",
        "load L0\n load L5\n eq\n ret",
    };
    for (const std::string& probe : probes) {
        auto engine = testing::engineFor(testing::mainProgram(build + probe));
        engine->core()->setInstructionBudget(1'000'000);
        fnd::testing::LogCapture log;
        EXPECT_TRUE(engine->call("main", fnd::Value()).isNull()) << probe;
        EXPECT_TRUE(log.contains("game 77, instruction budget exhausted")) << probe;
    }

    // Byte strings are searched in linear time: a needle that almost matches everywhere (a quadratic
    // search of these sizes would not end within the test's time-out).
    const std::string strings = "bytes \"a\"\n push32 1000000\n mul\n store L0\n bytes \"a\"\n push32 400000\n mul\n"
                                " bytes \"b\"\n add\n store L1\n";
    EXPECT_EQ(runMain(strings + "load L1\n load L0\n in\n load L0\n load L1\n native 29 2\n load L0\n load L1\n"
                                "native 30 2\n mkarray 3\n ret"),
              fnd::Value::array({0, -1, -1}));
}

TEST(NativesLimitsTest, ArithmeticNeverSeesAnAddress) {
    // An object in integer arithmetic, bit operations and the number natives reads as 0.
    EXPECT_EQ(runMain("mkarray 0\n push 1\n sub\n mkarray 0\n push -1\n and\n mkarray 0\n push 0\n or\n"
                      "mkarray 0\n push 0\n xor\n mkarray 0\n push 0\n shl\n mkarray 0\n push 0\n shr\n"
                      "mkarray 0\n push 1\n div\n mkarray 0\n push 7\n mod\n mkarray 0\n push32 -1\n and\n"
                      "mkarray 0\n store L0\n load L0\n push 3\n sub\n mkarray 10\n ret"),
              fnd::Value::array({-1, 0, 0, 0, 0, 0, 0, 0, 0, -3}));
    EXPECT_EQ(runMain("mkarray 0\n native 4 1\n mkarray 0\n native 7 1\n mkarray 0\n native 2 1\n mkarray 0\n"
                      " mkarray 0\n native 15 2\n mkarray 0\n native 3 1\n mkarray 5\n ret"),
              fnd::Value::array({testing::bytes("0"), testing::bytes("0"), 0, 0, fnd::Value(fnd::Bytes{0})}));
}

// The engine the wait's pumped task calls back into.
STLScriptEngine* gWaitingEngine = nullptr;

TEST(NativesLimitsTest, WaitPumpsTheLoopAndRefusesReentry) {
    auto clock = fnd::ManualClock::install();
    auto engine = testing::engineFor(".entry \"main\" G3\n.entry \"inner\" G4\n func main\n store G3\n"
                                     " func inner\n store G4\n stop\n"
                                     "main: push16 500\n native 0 1\n pop\n push 1\n ret\n inner: push 2\n ret\n");
    gWaitingEngine = engine.get();
    fnd::Value nested = 99;
    double advancedAt = 0;
    fnd::RunLoop::current().post([&] {
        nested = gWaitingEngine->call("inner", fnd::Value());
        advancedAt = fnd::Clock::monotonic();
        clock->advance(0.5);
    });
    fnd::testing::LogCapture log;
    double before = fnd::Clock::monotonic();
    EXPECT_EQ(engine->call("main", fnd::Value()), 1);
    EXPECT_EQ(advancedAt, before);
    EXPECT_GE(fnd::Clock::monotonic(), before + 0.5);
    EXPECT_TRUE(nested.isNull());
    EXPECT_TRUE(log.contains("call of \"inner\" refused"));
    EXPECT_TRUE(log.contains("WARN"));
    // Once the wait is over the engine takes calls again; a wait in the past returns at once.
    EXPECT_EQ(engine->call("inner", fnd::Value()), 2);
    EXPECT_EQ(runMain("push -5\n native 0 1\n ret"), null);
    fnd::Clock::install(nullptr);
}

// The test's native for slot 0: records the surface it draws on, then translates and clips it.
gfx::Context* gDrawnOn = nullptr;
ScriptValue scribble(STLScriptCore& core, std::span<const ScriptValue>) {
    gDrawnOn = core.currentContext().get();
    if (gDrawnOn != nullptr) {
        gDrawnOn->translateCTM(5, 7);
        gDrawnOn->clipToRect(gfx::Rect(0, 0, 1, 1));
    }
    return kNoValue;
}

TEST(NativesLimitsTest, SurfaceGuardKeepsEachRunsStateToItself) {
    auto engine = testing::engineFor(testing::mainProgram("native 124 0\n ret"));
    engine->core()->natives().registerNative(124, scribble);
    auto guard = std::make_shared<SurfaceGuard>();
    auto first = gfx::BitmapContext::create(8, 8, gfx::PixelFormat::Bgra8PremulFirstLE);
    auto second = gfx::BitmapContext::create(8, 8, gfx::PixelFormat::Bgra8PremulFirstLE);
    guard->surface = first;
    engine->setContext(nullptr, 0, guard);
    for (int i = 0; i < 3; ++i) {
        engine->call("main", fnd::Value());
        EXPECT_EQ(gDrawnOn, first.get());
        EXPECT_EQ(first->getCTM().tx, 0);
        EXPECT_EQ(first->getCTM().ty, 0);
    }
    // The painter swaps the surface under the lock; the next run draws on the new one.
    {
        std::lock_guard lock(guard->lock);
        guard->surface = second;
    }
    engine->call("main", fnd::Value());
    EXPECT_EQ(gDrawnOn, second.get());
    EXPECT_EQ(second->getCTM().tx, 0);
    // Nothing was left saved: one more restore has nothing to pop.
    fnd::testing::LogCapture log;
    second->restoreGState();
    EXPECT_EQ(log.lines().size(), 1u);
    // A guard belongs to slot 0 only.
    engine->setContext(second, 3, guard);
    EXPECT_TRUE(log.contains("drawing context for buffer slot 3 refused"));
}

} // namespace
} // namespace zelvan
