// Interpreter sequence instructions over arrays and byte strings: repetition, concatenation,
// indexing with the out-of-bound log line, stores, copies and slices, with their size caps.
#include <gtest/gtest.h>

#include "platform/foundation/testing/log_capture.h"
#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

using testing::bytes;

struct Case {
    const char* body;
    fnd::Value expected;
};

TEST(InterpreterSequencesTest, RepeatConcatCopyAndSlice) {
    const fnd::Value null;
    const Case cases[] = {
        {"bytes \"ab\"\n push 3\n mul\n ret", bytes("ababab")},
        {"push 3\n bytes \"ab\"\n mul\n ret", bytes("ababab")},
        {"bytes \"ab\"\n push 0\n mul\n ret", bytes("ab")},
        {"bytes \"ab\"\n push -2\n mul\n ret", bytes("ab")},
        {"push 1\n mkarray 1\n push 2\n mul\n ret", fnd::Value::array({1, 1})},
        {"mkarray 0\n push 100000000\n mul\n ret", fnd::Value::array()},
        {"load G40\n push 2\n mul\n ret", null},
        {"bytes \"a\"\n bytes \"b\"\n mul\n ret", null},
        // Past the size caps the result is null.
        {"bytes \"ab\"\n push32 10000000\n mul\n ret", null},
        {"push 1\n mkarray 1\n push32 5000000\n mul\n ret", null},
        {"bytes \"ab\"\n bytes \"cd\"\n add\n ret", bytes("abcd")},
        {"push 1\n mkarray 1\n push 2\n mkarray 1\n add\n ret", fnd::Value::array({1, 2})},
        // An integer with an object, or objects of different kinds: both consumed, nothing pushed.
        {"push 9\n push 1\n bytes \"x\"\n add\n ret", 9},
        {"push 9\n bytes \"x\"\n push 1\n add\n ret", 9},
        {"push 9\n bytes \"x\"\n mkarray 0\n add\n ret", 9},
        {"bytes \"ab\"\n copy\n ret", bytes("ab")},
        {"push 9\n push 5\n copy\n ret", 9},
        {"bytes \"hello\"\n push 1\n push -1\n slice\n ret", bytes("ell")},
        {"bytes \"hello\"\n push 2\n slicefrom\n ret", bytes("llo")},
        {"bytes \"hello\"\n push 2\n sliceto\n ret", bytes("he")},
        {"bytes \"hello\"\n push -10\n push 100\n slice\n ret", bytes("hello")},
        {"bytes \"hello\"\n push 4\n push 2\n slice\n ret", bytes("")},
        {"push 1\n push 2\n push 3\n mkarray 3\n push -2\n slicefrom\n ret", fnd::Value::array({2, 3})},
        {"push 5\n push 1\n slicefrom\n ret", null},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(testing::runMain(c.body), c.expected) << c.body;
    }

    // A copy is a new array: changing the original leaves it alone.
    EXPECT_EQ(testing::runMain("push 1\n mkarray 1\n store L0\n load L0\n copy\n store L1\n"
                               " push 5\n load L0\n push 0\n setitem\n load L0\n load L1\n mkarray 2\n ret"),
              fnd::Value::array({fnd::Value::array({5}), fnd::Value::array({1})}));
    // Concatenation past the byte cap gives null.
    EXPECT_TRUE(testing::runMain("bytes \"a\"\n push32 16777216\n mul\n bytes \"b\"\n add\n ret").isNull());
}

TEST(InterpreterSequencesTest, IndexingAndStores) {
    const char* array = "push 10\n push 20\n push 30\n mkarray 3\n";
    fnd::testing::LogCapture log;
    EXPECT_EQ(testing::runMain(std::string(array) + "push -1\n getitem\n ret"), fnd::Value(30));
    EXPECT_EQ(testing::runMain("bytes \"AB\"\n push 1\n getitem\n ret"), fnd::Value(66));
    EXPECT_TRUE(testing::runMain("push 4\n push 0\n getitem\n ret").isNull());
    EXPECT_TRUE(log.lines().empty());

    EXPECT_TRUE(testing::runMain(std::string(array) + "push 3\n getitem\n ret").isNull());
    EXPECT_TRUE(log.contains("ERROR"));
    EXPECT_TRUE(log.contains(" execute\n"));
    EXPECT_TRUE(log.contains("game 77, index out of bound, PC "));
    EXPECT_TRUE(log.contains(", index 3, array size 3"));
    EXPECT_TRUE(testing::runMain(std::string(array) + "push -4\n getitem\n ret").isNull());
    EXPECT_TRUE(log.contains(", index -1, array size 3"));

    // Stores: value, container, index. Byte strings take an integer's low byte or a string's first.
    const Case stores[] = {
        {"push 99\n load L0\n push -1\n setitem\n load L0\n ret", fnd::Value::array({10, 20, 99})},
        {"push 99\n load L0\n push 3\n setitem\n load L0\n ret", fnd::Value::array({10, 20, 30})},
        {"push 321\n load L1\n push 0\n setitem\n load L1\n ret", bytes("Abc")},
        {"bytes \"zz\"\n load L1\n push -1\n setitem\n load L1\n ret", bytes("abz")},
        {"bytes \"\"\n load L1\n push 0\n setitem\n load L1\n ret", bytes("abc")},
        {"mkarray 0\n load L1\n push 0\n setitem\n load L1\n ret", bytes("abc")},
        {"push 1\n push 2\n push 0\n setitem\n load L1\n ret", bytes("abc")},
    };
    for (const Case& c : stores) {
        fnd::Value args = fnd::Value::array({fnd::Value::array({10, 20, 30}), "abc"});
        EXPECT_EQ(testing::runMain(c.body, args), c.expected) << c.body;
    }
}

} // namespace
} // namespace zelvan
