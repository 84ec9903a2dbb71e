// The native-call instruction: dispatch by id through the core's native table, argument order and
// spreading, null for empty slots and ids past the table, and the per-run drawing state.
#include <gtest/gtest.h>

#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

// Returns its arguments as an array.
ScriptValue echo(STLScriptCore& core, std::span<const ScriptValue> args) {
    return valueOf(core.pool().newArray(std::vector<ScriptValue>(args.begin(), args.end())));
}

// Returns nothing (which the caller sees as null) after recording the run's colour.
ScriptValue setRed(STLScriptCore& core, std::span<const ScriptValue> args) {
    core.drawState.red = args.empty() ? -1 : intOf(args[0]);
    return kNoValue;
}

TEST(InterpreterNativesTest, DispatchArgumentsAndResults) {
    struct Case {
        const char* body;
        fnd::Value expected;
    };
    const fnd::Value null;
    const Case cases[] = {
        {"push 1\n push 2\n push 3\n native 3 2\n mkarray 2\n ret", fnd::Value::array({1, fnd::Value::array({2, 3})})},
        {"native 3 0\n ret", fnd::Value::array()},
        {"push 1\n push 2\n push 3\n mkarray 2\n native 3 -2\n ret", fnd::Value::array({1, 2, 3})},
        {"push 1\n push 2\n native 3 -2\n ret", fnd::Value::array({1})},
        {"push 1\n mkarray 0\n native 3 -2\n ret", fnd::Value::array({1})},
        {"mkarray 0\n native 3 -1\n ret", fnd::Value::array()},
        {"push 7\n native 124 1\n ret", 7},
        // Empty slots, ids past the table and ids 128-255 consume their arguments and give null.
        {"push 9\n push 1\n native 26 1\n pop\n ret", 9},
        {"push 9\n push 1\n native 125 1\n mkarray 2\n ret", fnd::Value::array({9, null})},
        {"push 9\n push 1\n native 200 1\n mkarray 2\n ret", fnd::Value::array({9, null})},
        {"push 9\n push 1\n native 255 1\n mkarray 2\n ret", fnd::Value::array({9, null})},
        {"push 200\n native 48 1\n ret", null},
    };
    for (const Case& c : cases) {
        auto engine = testing::engineFor(testing::mainProgram(c.body));
        NativeTable& natives = engine->core()->natives();
        EXPECT_TRUE(natives.registerNative(3, echo));
        EXPECT_TRUE(natives.registerNative(
            124, [](STLScriptCore&, std::span<const ScriptValue> args) { return args.empty() ? kNoValue : args[0]; }));
        EXPECT_TRUE(natives.registerNative(48, setRed));
        EXPECT_FALSE(natives.registerNative(125, echo));
        EXPECT_FALSE(natives.registerNative(-1, echo));
        EXPECT_EQ(engine->call("main", fnd::Value()), c.expected) << c.body;
    }

    // The drawing state starts over with every run.
    auto engine = testing::engineFor(testing::mainProgram("push 200\n native 48 1\n stop"));
    engine->core()->natives().registerNative(48, setRed);
    engine->call("main", fnd::Value());
    EXPECT_EQ(engine->core()->drawState.red, 200);
    engine->core()->natives().registerNative(48, nullptr);
    engine->call("main", fnd::Value());
    EXPECT_EQ(engine->core()->drawState.red, 0);
}

} // namespace
} // namespace zelvan
