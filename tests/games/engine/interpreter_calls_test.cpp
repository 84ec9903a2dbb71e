// Interpreter calls: function values, script calls with fixed and spread arguments, frames that
// restore the caller's locals, recursion, and returns.
#include <gtest/gtest.h>

#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

struct Case {
    const char* body;
    fnd::Value expected;
};

TEST(InterpreterCallsTest, CallsFramesAndReturns) {
    const Case cases[] = {
        {"func f\n push 3\n push 4\n call 2\n ret\n f: load L0\n load L1\n sub\n ret", -1},
        {"func16 f\n call 0\n ret\n f: push 6\n ret", 6},
        // argc -2 with [f, x, [y, z]] calls f with the locals x, y, z.
        {"func f\n push 1\n push 2\n push 3\n mkarray 2\n call -2\n ret\n"
         " f: load L0\n load L1\n load L2\n mkarray 3\n ret",
         fnd::Value::array({1, 2, 3})},
        // An empty spread array adds no arguments (and copies nothing).
        {"func f\n push 1\n mkarray 0\n call -2\n ret\n f: load L0\n load L1\n mkarray 2\n ret",
         fnd::Value::array({1, fnd::Value()})},
        {"func f\n mkarray 0\n call -1\n ret\n f: push 8\n ret", 8},
        // A spread value that is not an array adds no arguments.
        {"func f\n push 1\n push 5\n call -2\n ret\n f: load L0\n load L1\n mkarray 2\n ret",
         fnd::Value::array({1, fnd::Value()})},
        // The caller's locals come back after the call, whatever the callee stored.
        {"func f\n push 3\n call 1\n load L0\n add\n ret\n f: push 100\n store L0\n push 50\n store L5\n load L0\n ret",
         110},
        // Recursion: fib(15).
        {"func fib\n store G5\n load G5\n push 15\n call 1\n ret\n"
         "fib: load L0\n push 2\n lt\n jumpifnot big\n load L0\n ret\n"
         "big: load G5\n load L0\n push 1\n sub\n call 1\n load G5\n load L0\n push 2\n sub\n call 1\n add\n ret",
         610},
        // A function value is the integer offset of its code.
        {"func f\n push 0\n ge\n ret\n f: ret", 1},
        {"ret", fnd::Value()},
    };
    const fnd::Value args = fnd::Value::array({10});
    for (const Case& c : cases) {
        EXPECT_EQ(testing::runMain(c.body, args), c.expected) << c.body;
    }

    // Frames are reused across calls without leaking arrays into the pool beyond the run.
    auto engine = testing::engineFor(testing::mainProgram(
        "push 0\n store L0\n loop: func f\n call 0\n pop\n inc L0\n load L0\n push 1000\n lt\n jumpif loop\n"
        " load L0\n ret\n f: push 1\n ret"));
    EXPECT_EQ(engine->call("main", fnd::Value()), fnd::Value(1000));
    EXPECT_EQ(engine->core()->pool().size(), 0u);
}

} // namespace
} // namespace zelvan
