// Interpreter arithmetic and bitwise instructions: 31-bit wrap-around, truncating division with its
// remainder, division by zero, masked shift counts, and negation of non-integers.
#include <gtest/gtest.h>

#include "platform/foundation/testing/log_capture.h"
#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

struct Case {
    const char* body;
    int expected;
};

TEST(InterpreterArithmeticTest, IntegerOperations) {
    const Case cases[] = {
        {"push 7\n push 5\n add\n ret", 12},
        {"push 7\n push 10\n sub\n ret", -3},
        {"push 6\n push -7\n mul\n ret", -42},
        {"push -7\n push 2\n div\n ret", -3},
        {"push -7\n push 2\n mod\n ret", -1},
        {"push 7\n push -2\n mod\n ret", 1},
        {"push 5\n neg\n ret", -5},
        {"push 1\n push 3\n shl\n ret", 8},
        {"push -16\n push 2\n shr\n ret", -4},
        {"push 12\n push 10\n and\n ret", 8},
        {"push 12\n push 3\n or\n ret", 15},
        {"push 12\n push 10\n xor\n ret", 6},
        // Results wrap at 31 bits.
        {"push 1073741823\n push 1\n add\n ret", -1073741824},
        {"push -1073741824\n push 1\n sub\n ret", 1073741823},
        {"push -1073741824\n neg\n ret", -1073741824},
        {"push 65536\n push 65536\n mul\n ret", 0},
        {"push 1073741823\n push 3\n mul\n ret", 1073741821},
        {"push -1073741824\n push -1\n div\n ret", -1073741824},
        // Shift counts are taken modulo 32.
        {"push 1\n push 33\n shl\n ret", 2},
        {"push 1\n push -1\n shl\n ret", 0},
        {"push -8\n push 33\n shr\n ret", -4},
        // Negating a non-integer pops it and pushes nothing.
        {"push 3\n bytes \"a\"\n neg\n ret", 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(testing::runMain(c.body), fnd::Value(c.expected)) << c.body;
    }
}

TEST(InterpreterArithmeticTest, DivisionByZeroGivesZeroWithAWarning) {
    for (const char* body : {"push 7\n push 0\n div\n ret", "push -7\n push 0\n mod\n ret"}) {
        fnd::testing::LogCapture log;
        EXPECT_EQ(testing::runMain(body), fnd::Value(0)) << body;
        EXPECT_TRUE(log.contains("WARN")) << body;
        EXPECT_TRUE(log.contains("game 77")) << body;
        EXPECT_TRUE(log.contains("by zero")) << body;
    }
}

} // namespace
} // namespace zelvan
