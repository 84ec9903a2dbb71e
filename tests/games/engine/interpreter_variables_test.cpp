// Interpreter variables: globals and locals through 8- and 16-bit operands, reads and clears past the
// end, stores that extend the vectors with null, and the local increment.
#include <gtest/gtest.h>

#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

struct Case {
    const char* body;
    fnd::Value expected;
};

TEST(InterpreterVariablesTest, LocalsAndGlobals) {
    const fnd::Value null;
    const fnd::Value args = fnd::Value::array({1, 2});
    const Case cases[] = {
        {"load L1\n ret", 2},
        {"load16 L0\n ret", 1},
        {"load L9\n ret", null},
        // Storing to local 4 (operand -5) with two locals extends them with null in slots 2 and 3.
        {"push 7\n store L4\n load L2\n load L3\n load L4\n mkarray 3\n ret", fnd::Value::array({null, null, 7})},
        {"push 8\n store16 L1\n load L1\n ret", 8},
        {"clear L0\n load L0\n ret", null},
        {"clear16 L1\n load L1\n ret", null},
        {"clear L6\n load L6\n ret", null},
        {"inc L0\n inc L0\n load L0\n ret", 3},
        {"bytes \"a\"\n store L0\n inc L0\n load L0\n ret", testing::bytes("a")},
        {"inc L7\n load L7\n ret", null},
        {"load G1\n ret", testing::kTestMyId},
        {"push 5\n store8 G9\n load G9\n ret", 5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(testing::runMain(c.body, args), c.expected) << c.body;
    }

    // Globals persist between calls; clearing past the end does not extend them; inc on a global
    // operand does nothing.
    auto engine = testing::engineFor(".entry \"set\" G3\n.entry \"get\" G4\n"
                                     " func set\n store G3\n func get\n store G4\n stop\n"
                                     "set: push 41\n store16 G20\n clear G30\n inc G20\n stop\n"
                                     "get: load16 G20\n push 1\n add\n ret\n");
    engine->call("set", fnd::Value());
    EXPECT_EQ(engine->core()->globals().size(), 21u);
    EXPECT_EQ(engine->call("get", fnd::Value()), fnd::Value(42));
}

} // namespace
} // namespace zelvan
