// Interpreter instructions that move values: constants of every width, pop, debug print, unpack,
// make-array, inline byte strings, skips, unknown opcodes, and growth of the value stack.
#include <gtest/gtest.h>

#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

using testing::bytes;

struct Case {
    const char* body;
    fnd::Value expected;
};

TEST(InterpreterStackTest, ConstantsAndStackOperations) {
    const Case cases[] = {
        {"push8 -5\n ret", -5},
        {"push16 -1000\n ret", -1000},
        {"push32 1073741823\n ret", 1073741823},
        // 32-bit constants keep 31 bits: bits 31 and 0 alone give 1; 0x7fffffff gives -1.
        {".byte 31\n .int -2147483647\n ret", 1},
        {".byte 31\n .int 2147483647\n ret", -1},
        {"push 1\n push 2\n pop\n ret", 1},
        {"push 1\n push 2\n push 3\n print 2\n ret", 1},
        {"push 1\n print -1\n ret", 1},
        {"push 1\n push 2\n mkarray 2\n unpack 3\n mkarray 3\n ret", fnd::Value::array({1, 2, fnd::Value()})},
        {"push 9\n push 5\n unpack 2\n ret", 9},
        {"push 9\n mkarray 0\n unpack -1\n ret", 9},
        {"mkarray 0\n ret", fnd::Value::array()},
        {"push 1\n push 2\n push 3\n mkarray 3\n ret", fnd::Value::array({1, 2, 3})},
        {"bytes \"hi\\0x\"\n ret", bytes(std::string_view("hi\0x", 4))},
        {"bytes \"\"\n ret", bytes("")},
        {"skipz\n .byte 1, 2, 0\n push 4\n ret", 4},
        {"nop\n push 4\n ret", 4},
        // Opcodes outside the table are skipped as single bytes.
        {".byte 59, 100, 127, 128, 200, 255\n push 3\n ret", 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(testing::runMain(c.body), c.expected) << c.body;
    }
}

TEST(InterpreterStackTest, StackGrowsInStepsAndKeepsItsValues) {
    // Pushes 0..2000 (2001 values), then gathers them into one array.
    auto engine = testing::engineFor(testing::mainProgram("push 0\n store L0\n"
                                                          "loop: load L0\n load L0\n push 1\n add\n store L0\n"
                                                          " load L0\n push 2001\n lt\n jumpif loop\n"
                                                          " mkarray 2001\n ret"));
    EXPECT_EQ(engine->core()->stackCapacity(), 2000u);
    fnd::Value result = engine->call("main", fnd::Value());
    EXPECT_EQ(engine->core()->stackCapacity(), 3000u);
    std::shared_ptr<fnd::Array> values = result.asArray();
    ASSERT_NE(values, nullptr);
    ASSERT_EQ(values->count(), 2001u);
    for (size_t i = 0; i < values->count(); ++i) {
        ASSERT_EQ(values->objectAtIndex(i), fnd::Value(static_cast<int>(i)));
    }
}

TEST(InterpreterStackTest, ResultsOfNothingGrowAFullStack) {
    // 2000 values fill the first stack exactly; an empty array and a native call without arguments
    // each push one more and must grow it first, whichever comes first.
    struct Order {
        const char* steps;
        fnd::Value first;
        fnd::Value second;
    };
    const Order orders[] = {
        {"mkarray 0\n native 100 0", fnd::Value::array(), fnd::Value()},
        {"native 100 0\n mkarray 0", fnd::Value(), fnd::Value::array()},
    };
    for (const Order& order : orders) {
        auto engine = testing::engineFor(testing::mainProgram(
            std::string("push 0\n store L0\n loop: push 7\n inc L0\n load L0\n push 1998\n lt\n jumpif loop\n"
                        " push 7\n push 7\n") +
            order.steps + "\n mkarray 2002\n ret"));
        fnd::Value result = engine->call("main", fnd::Value());
        EXPECT_EQ(engine->core()->stackCapacity(), 3000u) << order.steps;
        std::shared_ptr<fnd::Array> values = result.asArray();
        ASSERT_NE(values, nullptr) << order.steps;
        ASSERT_EQ(values->count(), 2002u);
        EXPECT_EQ(values->objectAtIndex(1999), fnd::Value(7));
        EXPECT_EQ(values->objectAtIndex(2000), order.first);
        EXPECT_EQ(values->objectAtIndex(2001), order.second);
    }
}

} // namespace
} // namespace zelvan
