// Images that break the machine's rules: jumps out of the code, truncated operands, pops of an empty
// stack, forged return frames, calls of non-functions, endless loops and unbounded stacks. Each run
// ends with null and an ERROR line naming the fault; nothing reads or writes outside its storage.
#include <gtest/gtest.h>

#include "platform/foundation/testing/log_capture.h"
#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

struct Case {
    std::string body;
    const char* fault;
};

TEST(HostileImageTest, BrokenRunsEndWithNullAndAnError) {
    std::vector<Case> cases = {
        {"jump16 1000", "PC outside the code"},
        {"jump16 -30000", "PC outside the code"},
        {"push 1", "PC outside the code"}, // runs off the end
        {"skipz\n .byte 1, 2", "PC outside the code"},
        {".byte 39, 1", "operand past the end of the code"},
        {".byte 31, 1, 2, 3", "operand past the end of the code"},
        {".byte 46, 3", "operand past the end of the code"},
        {".byte 34\n .short 10\n .byte 65", "byte string past the end of the code"},
        {".byte 34\n .short -1", "byte string past the end of the code"},
        {"push 1\n push 2\n ret", "stack underflow"},
        {"print 1", "stack underflow"},
        {"push 1\n call 1", "stack underflow"},
        {"native 3 1", "stack underflow"},
        {"native 3 -1", "stack underflow"},
        // Forged frames: a return offset outside the code, saved locals that are not an array.
        {"mkarray 0\n push32 99999\n push 1\n ret", "return offset outside the code"},
        {"mkarray 0\n push -1\n push 1\n ret", "return offset outside the code"},
        {"mkarray 0\n bytes \"x\"\n push 1\n ret", "return offset outside the code"},
        {"push 5\n func back\n push 1\n ret\n back: push 2\n ret", "return without saved locals"},
        {"push -3\n call 0", "call of a value that is not a function"},
        {"push 30000\n call 0", "call of a value that is not a function"},
        {"bytes \"f\"\n call 0", "call of a value that is not a function"},
    };
    // Every instruction that pops, on an empty stack (operands of zero where it takes any).
    for (int op : {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                   21, 22, 25, 26, 27, 29, 36, 37, 40, 41, 42, 43, 44, 45, 47, 49, 50, 51, 55}) {
        cases.push_back({".byte " + std::to_string(op) + ", 0, 0, 0", "stack underflow"});
    }
    for (const Case& c : cases) {
        fnd::testing::LogCapture log;
        EXPECT_TRUE(testing::runMain(c.body).isNull()) << c.body;
        EXPECT_TRUE(log.contains("ERROR")) << c.body;
        EXPECT_TRUE(log.contains(std::string("game 77, ") + c.fault)) << c.body << "\n"
                                                                      << ::testing::PrintToString(log.lines());
    }
}

TEST(HostileImageTest, EndlessRunsAreStopped) {
    // An endless loop stops at the instruction budget; the next call runs normally.
    auto engine = testing::engineFor(".entry \"spin\" G3\n.entry \"ok\" G4\n"
                                     " func spin\n store G3\n func ok\n store G4\n stop\n"
                                     "spin: jump spin\n ok: push 1\n ret\n");
    engine->core()->setInstructionBudget(10000);
    fnd::testing::LogCapture log;
    EXPECT_TRUE(engine->call("spin", fnd::Value()).isNull());
    EXPECT_TRUE(log.contains("game 77, instruction budget exhausted"));
    EXPECT_EQ(engine->call("ok", fnd::Value()), fnd::Value(1));

    // Endless pushes stop at the stack's cap instead of taking all memory.
    engine = testing::engineFor(testing::mainProgram("loop: push 1\n jump loop"));
    EXPECT_TRUE(engine->call("main", fnd::Value()).isNull());
    EXPECT_TRUE(log.contains("game 77, stack overflow"));
    EXPECT_EQ(engine->core()->stackCapacity(), STLScriptCore::kMaxStackCapacity);

    // Endless recursion likewise.
    engine = testing::engineFor(testing::mainProgram("func main\n call 0\n ret"));
    EXPECT_TRUE(engine->call("main", fnd::Value()).isNull());
    EXPECT_EQ(log.count("game 77, stack overflow"), 2u);

    // Endless initialisation code is bounded by a budget given at construction, and stops the game at once:
    // a game whose set-up never finished runs nothing more.
    engine = std::make_unique<STLScriptEngine>(testing::assemble(".entry \"ok\" G4\n func ok\n store G4\n"
                                                                 "spin: jump spin\n ok: push 1\n ret\n"),
                                               testing::kTestMyId, 5, testing::kTestGameId, fnd::Value(), fnd::Value(),
                                               320, 240, nullptr, 10000);
    EXPECT_EQ(log.count("game 77, instruction budget exhausted"), 2u);
    EXPECT_EQ(engine->core()->instructionBudget(), 10000u);
    EXPECT_TRUE(engine->stopped());
    EXPECT_TRUE(log.contains("game 77 stopped: its load-time code spent the whole instruction budget"));
    EXPECT_TRUE(engine->call("ok", fnd::Value()).isNull());
}

TEST(HostileImageTest, MemoryWithinOneRunIsBounded) {
    fnd::testing::LogCapture log;
    // Arrays of the largest size, made and dropped in a loop: nothing is collected before the run
    // ends, so the pool's limit ends it; the next call runs normally and the pool is collected.
    auto engine = testing::engineFor(".entry \"fill\" G3\n.entry \"ok\" G4\n"
                                     " func fill\n store G3\n func ok\n store G4\n stop\n"
                                     "fill: push 0\n mkarray 1\n push32 4194304\n mul\n pop\n jump fill\n"
                                     "ok: push 2\n ret\n");
    EXPECT_TRUE(engine->call("fill", fnd::Value()).isNull());
    EXPECT_TRUE(log.contains("game 77, memory limit reached"));
    EXPECT_EQ(engine->core()->pool().size(), 0u);
    EXPECT_EQ(engine->core()->pool().liveBytes(), 0u);
    EXPECT_EQ(engine->call("ok", fnd::Value()), fnd::Value(2));

    // Locals live in the frames of unfinished calls: a recursion that stores a far local at every
    // level is stopped by the same limit long before the stack's cap.
    engine = testing::engineFor(testing::mainProgram("func f\n store G5\n load G5\n call 0\n ret\n"
                                                     "f: push 1\n store L32767\n load G5\n call 0\n ret"));
    EXPECT_TRUE(engine->call("main", fnd::Value()).isNull());
    EXPECT_EQ(log.count("game 77, memory limit reached"), 2u);
}

} // namespace
} // namespace zelvan
