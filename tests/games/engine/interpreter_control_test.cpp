// Interpreter jumps and comparisons: every conditional and unconditional jump form (8 and 16 bits,
// keeping or popping the tested value), loops, the six comparisons, negation and membership.
#include <gtest/gtest.h>

#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

struct Case {
    const char* body;
    fnd::Value expected;
};

TEST(InterpreterJumpsTest, JumpForms) {
    const Case cases[] = {
        {"push 1\n jumpifkeep8 t\n push 5\n ret\n t: ret", 1},
        {"push 0\n jumpifkeep16 t\n pop\n push 5\n ret\n t: ret", 5},
        {"push 0\n jumpifnotkeep8 t\n push 5\n ret\n t: ret", 0},
        {"bytes \"x\"\n jumpifnotkeep16 t\n pop\n push 5\n ret\n t: ret", 5},
        {"push 9\n push 1\n jumpif8 t\n push 5\n ret\n t: ret", 9},
        {"push 9\n bytes \"\"\n jumpif16 t\n pop\n push 5\n ret\n t: ret", 5},
        {"push 9\n mkarray 0\n jumpifnot8 t\n push 5\n ret\n t: ret", 9},
        {"push 9\n push 2\n jumpifnot16 t\n pop\n push 5\n ret\n t: ret", 5},
        {"jump8 t\n push 5\n ret\n t: push 6\n ret", 6},
        {"jump16 t\n push 5\n ret\n t: push 6\n ret", 6},
        // A backward loop: the sum of 1..10.
        {"push 0\n store L0\n push 10\n store L1\n"
         "loop: load L0\n load L1\n add\n store L0\n load L1\n push 1\n sub\n store L1\n"
         " load L1\n jumpif loop\n load L0\n ret",
         55},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(testing::runMain(c.body), c.expected) << c.body;
    }
}

TEST(InterpreterComparisonTest, OrderTruthAndMembership) {
    const Case cases[] = {
        {"push 2\n push 3\n lt\n ret", 1},
        {"push 3\n push 3\n lt\n ret", 0},
        {"push 3\n push 2\n gt\n ret", 1},
        {"push 3\n push 3\n le\n ret", 1},
        {"push 2\n push 3\n ge\n ret", 0},
        {"push -4\n push -4\n eq\n ret", 1},
        {"push -4\n push 4\n ne\n ret", 1},
        {"bytes \"ab\"\n bytes \"b\"\n lt\n ret", 1},
        {"bytes \"ab\"\n bytes \"a\"\n gt\n ret", 1},
        // Distinct arrays with equal elements are equal; null sorts below everything.
        {"push 1\n mkarray 1\n push 1\n mkarray 1\n eq\n ret", 1},
        {"load G60\n push -100\n lt\n ret", 1},
        {"push 0\n not\n ret", 1},
        {"bytes \"\"\n not\n ret", 1},
        {"push 1\n mkarray 1\n not\n ret", 0},
        // Membership: element below the container; strings only inside strings.
        {"push 2\n push 1\n push 2\n mkarray 2\n in\n ret", 1},
        {"push 3\n push 1\n push 2\n mkarray 2\n in\n ret", 0},
        {"push 3\n push 1\n push 2\n mkarray 2\n notin\n ret", 1},
        {"bytes \"ll\"\n bytes \"hello\"\n in\n ret", 1},
        {"bytes \"\"\n bytes \"hello\"\n in\n ret", 1},
        {"push 101\n bytes \"hello\"\n in\n ret", 0},
        {"push 1\n push 1\n in\n ret", 0},
        {"push 1\n push 1\n notin\n ret", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(testing::runMain(c.body), c.expected) << c.body;
    }
}

} // namespace
} // namespace zelvan
