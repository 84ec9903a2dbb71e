// The interpreter's combined dispatch of common instruction sequences: every sequence gives the same
// result, log lines and faults whether it runs combined or one instruction at a time (with no-ops
// between its instructions).
#include <gtest/gtest.h>

#include "platform/foundation/testing/log_capture.h"
#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

struct Case {
    const char* body;
    fnd::Value expected;
    const char* logged; // a line part both runs must log, or null
};

TEST(InterpreterDispatchTest, CombinedSequencesMatchSingleSteps) {
    const fnd::Value null;
    const Case cases[] = {
        // load, load (locals, a global, unset locals)
        {"push 5\n store L1\n load L0\n load L1\n sub\n ret", 5, nullptr},
        {"push 3\n store G5\n load G5\n load L0\n mkarray 2\n ret", fnd::Value::array({3, 10}), nullptr},
        {"load L5\n load L6\n mkarray 2\n ret", fnd::Value::array({null, null}), nullptr},
        // load, load, getitem: in range, negative, out of range, byte strings, not a sequence
        {"push 7\n push 8\n mkarray 2\n store L1\n push 1\n store L2\n load L1\n load L2\n getitem\n ret", 8, nullptr},
        {"push 7\n push 8\n mkarray 2\n store L1\n push -2\n store L2\n load L1\n load L2\n getitem\n ret", 7, nullptr},
        {"push 7\n mkarray 1\n store L1\n push 1\n store L2\n load L1\n load L2\n getitem\n ret", null,
         "index out of bound"},
        {"bytes \"AB\"\n store L1\n push 1\n store L2\n load L1\n load L2\n getitem\n ret", 66, nullptr},
        {"load L0\n load L0\n getitem\n ret", null, nullptr},
        // load, load, add: integers, byte strings, a mixed pair (which pushes nothing)
        {"push 4\n store L1\n load L0\n load L1\n add\n ret", 14, nullptr},
        {"bytes \"a\"\n store L1\n bytes \"b\"\n store L2\n load L1\n load L2\n add\n ret", testing::bytes("ab"),
         nullptr},
        {"push 9\n bytes \"a\"\n store L1\n load L1\n load L0\n add\n ret", 9, nullptr},
        // load, push8 (then add / sub), also on non-integers
        {"load L0\n push -3\n mkarray 2\n ret", fnd::Value::array({10, -3}), nullptr},
        {"load L0\n push 5\n add\n ret", 15, nullptr},
        {"push 2\n bytes \"a\"\n store L1\n load L1\n push 5\n add\n ret", 2, nullptr},
        {"load L0\n push 12\n sub\n ret", -2, nullptr},
        // push32, and: the constant as a pushed word reads it (31 bits, sign-extended)
        {"load L0\n push32 0x3fffffff\n and\n ret", 10, nullptr},
        {"push -1\n push32 0x80000000\n and\n ret", 0, nullptr},
        {"push -1\n push32 0x40000000\n and\n ret", -1073741824, nullptr},
        // push32, and, store: into a local, a global, and on an empty stack
        {"load L0\n push32 0x3ffffff3\n and\n store L1\n load L1\n ret", 2, nullptr},
        {"load L0\n push32 0x3ffffff3\n and\n store G5\n load G5\n ret", 2, nullptr},
        {"push32 7\n and\n store L1\n push 1\n ret", null, "stack underflow"},
        // load, load, lt, jumpifnot: both outcomes, and a pair that is not two integers
        {"push 11\n store L1\n load L0\n load L1\n lt\n jumpifnot no\n push 1\n ret\n no: push 2\n ret", 1, nullptr},
        {"push 10\n store L1\n load L0\n load L1\n lt\n jumpifnot no\n push 1\n ret\n no: push 2\n ret", 2, nullptr},
        {"bytes \"a\"\n store L1\n load L0\n load L1\n lt\n jumpifnot no\n push 1\n ret\n no: push 2\n ret", 1,
         nullptr},
        // inc, jump: a counting loop; inc leaves non-integers alone
        {"push 0\n store L1\n top: load L1\n push 100\n ge\n jumpif out\n inc L1\n jump top\n out: load L1\n ret", 100,
         nullptr},
        {"bytes \"x\"\n store L1\n inc L1\n jump next\n next: load L1\n ret", testing::bytes("x"), nullptr},
        // store, load: locals and globals
        {"push 6\n store L1\n load L1\n ret", 6, nullptr},
        {"push 6\n store G6\n load G6\n ret", 6, nullptr},
        {"push 6\n store L300\n load L300\n ret", 6, nullptr},
        // load, load, load, setitem: in range, out of range, byte strings
        {"push 0\n mkarray 1\n push 3\n mul\n store L1\n push 9\n store L2\n push 1\n store L3\n"
         " load L2\n load L1\n load L3\n setitem\n load L1\n ret",
         fnd::Value::array({0, 9, 0}), nullptr},
        {"push 0\n mkarray 1\n store L1\n push 9\n store L2\n push 4\n store L3\n"
         " load L2\n load L1\n load L3\n setitem\n load L1\n ret",
         fnd::Value::array({0}), "index out of bound"},
        {"bytes \"ab\"\n store L1\n push 67\n store L2\n push 0\n store L3\n"
         " load L2\n load L1\n load L3\n setitem\n load L1\n ret",
         testing::bytes("Cb"), nullptr},
        // comparisons followed by conditional jumps, taken and not, with non-integers
        {"load L0\n push 3\n lt\n jumpifnot no\n push 1\n ret\n no: push 2\n ret", 2, nullptr},
        {"load L0\n push 30\n le\n jumpif yes\n push 1\n ret\n yes: push 2\n ret", 2, nullptr},
        {"bytes \"a\"\n bytes \"b\"\n lt\n jumpifnot16 no\n push 1\n ret\n no: push 2\n ret", 1, nullptr},
    };
    const fnd::Value args = fnd::Value::array({10});
    for (const Case& c : cases) {
        // The first instruction of a run is fetched on its own, so each body starts after a no-op.
        const std::string combined = std::string("nop\n") + c.body;
        std::string single;
        for (char ch : combined) {
            single += ch == '\n' ? std::string("\n nop\n") : std::string(1, ch);
        }
        for (const std::string& body : {combined, single}) {
            fnd::testing::LogCapture log;
            EXPECT_EQ(testing::runMain(body, args), c.expected) << body;
            if (c.logged != nullptr) {
                EXPECT_TRUE(log.contains(c.logged)) << body;
            } else {
                EXPECT_FALSE(log.contains("ERROR")) << body;
            }
        }
    }
}

// A loop whose step (inc, jump) lands on a load, load, lt, jumpifnot test runs that whole step and test
// with one dispatch. The same loop with its test written as ge, jumpif (the same bytes, run as separate
// steps) must give the same results, and run out of the same budgets with the same fault.
TEST(InterpreterDispatchTest, FusedLoopStepMatchesSingleSteps) {
    struct Loop {
        const char* counter;
        const char* init; // sets up the counter and L2 (the sum)
        const char* body; // the loop body before the counter's inc
        bool ends;        // whether a large enough budget lets it finish
        bool runsOut;     // whether a small budget stops it
    };
    const Loop loops[] = {
        {"L1", "push 0\n store L1\n push 0\n store L2", "load L2\n load L1\n add\n store L2", true, true},
        // the counter starts past the bound: the body never runs
        {"L1", "push 50\n store L1\n push 7\n store L2", "load L2\n load L1\n add\n store L2", true, false},
        // a global counter: inc leaves globals alone, so the loop only ends with the budget
        {"G5", "push 0\n store G5\n push 0\n store L2", "load L2\n push 1\n add\n store L2", false, true},
    };
    const auto program = [](const Loop& loop, const char* test) {
        const std::string counter = loop.counter;
        return testing::mainProgram(std::string(loop.init) + "\n top: load " + counter + "\n load L0\n " + test +
                                    " done\n " + loop.body + "\n inc " + counter + "\n jump top\n done: load L2\n ret");
    };
    const fnd::Value args = fnd::Value::array({40});
    for (const Loop& loop : loops) {
        auto fused = testing::engineFor(program(loop, "lt\n jumpifnot"));
        auto single = testing::engineFor(program(loop, "ge\n jumpif"));
        bool ranOut = false;
        bool finished = false;
        for (uint64_t budget = 1; budget <= 1200; budget += 7) {
            fused->core()->setInstructionBudget(budget);
            single->core()->setInstructionBudget(budget);
            fnd::testing::LogCapture fusedLog;
            // Straight into the cores: the engine would stop a game after a few runs out of budget.
            const fnd::Value fusedResult = fused->core()->call("main", args);
            const bool fusedRanOut = fusedLog.contains("instruction budget exhausted");
            fnd::testing::LogCapture singleLog;
            EXPECT_EQ(single->core()->call("main", args), fusedResult) << loop.init << ", budget " << budget;
            EXPECT_EQ(singleLog.contains("instruction budget exhausted"), fusedRanOut)
                << loop.init << ", budget " << budget;
            ranOut = ranOut || fusedRanOut;
            finished = finished || !fusedRanOut;
        }
        EXPECT_EQ(finished, loop.ends) << loop.init;
        EXPECT_EQ(ranOut, loop.runsOut) << loop.init;
    }
    // Fused, the first loop sums 0 to 39.
    auto engine = testing::engineFor(program(loops[0], "lt\n jumpifnot"));
    EXPECT_EQ(engine->call("main", args), 780);
}

} // namespace
} // namespace zelvan
