// Loading of bytecode images: the entry-point table, the initialisation run, the initial globals,
// named calls with arguments and results, collection after a call, state, surfaces and font.
#include <gtest/gtest.h>

#include "platform/foundation/clock.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/context.h"
#include "platform/graphics/font.h"
#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

using testing::bytes;
using testing::engineFor;
using testing::mainProgram;

TEST(ImageLoadingTest, EntryTableAndInitialisation) {
    // No records and the single instruction 0: loads, and every call gives nil.
    auto empty = engineFor(".rawheader\n.short 0\nstop\n");
    EXPECT_TRUE(empty->core()->entryPoints().empty());
    EXPECT_TRUE(empty->call("start", fnd::Value()).isNull());
    EXPECT_TRUE(empty->call("", fnd::Value()).isNull());

    // Initialisation stores the entry function into global 3, extending the globals from three slots.
    auto halfway = engineFor(".entry \"start\" G3\n func f\n stop\n f: push 7\n ret\n");
    EXPECT_EQ(halfway->core()->globals().size(), 3u);
    EXPECT_TRUE(halfway->call("start", fnd::Value()).isNull()) << "global 3 does not hold the function yet";
    auto game = engineFor(".entry \"start\" G3\n func f\n store G3\n ret\n f: push 7\n ret\n");
    ASSERT_EQ(game->core()->globals().size(), 4u);
    EXPECT_EQ(game->call("start", fnd::Value()), fnd::Value(7));

    // Initial globals: null, the player's own id, the state -1.
    const auto& globals = game->core()->globals();
    EXPECT_TRUE(isNull(globals[0]));
    EXPECT_EQ(intOf(globals[1]), testing::kTestMyId);
    EXPECT_EQ(intOf(globals[2]), -1);
    EXPECT_EQ(game->state(), -1);

    // A later record with the same name replaces the earlier; slot 0 counts as no entry point.
    auto twice = engineFor(".entry \"go\" G4\n.entry \"go\" G3\n.entry \"zero\" G0\n"
                           " func a\n store G3\n func b\n store G4\n stop\n a: push 1\n ret\n b: push 2\n ret\n");
    EXPECT_EQ(twice->core()->entryPoints().at("go"), 3);
    EXPECT_EQ(twice->call("go", fnd::Value()), fnd::Value(1));
    EXPECT_TRUE(twice->call("zero", fnd::Value()).isNull());
}

TEST(ImageLoadingTest, TruncatedEntryTablesRunNothing) {
    const char* cases[] = {
        ".rawheader\n.byte 1\n",                        // count cut in half
        ".rawheader\n.short 1\n",                       // record missing
        ".rawheader\n.short 1\n.short 9\n.byte 0x61\n", // name longer than the image
        ".rawheader\n.short 1\n.short 1\n.byte 0x61\n", // slot missing
        ".rawheader\n.short 1\n.short -1\n",            // negative name length
    };
    for (const char* source : cases) {
        fnd::testing::LogCapture log;
        auto engine = engineFor(source);
        EXPECT_TRUE(engine->core()->entryPoints().empty()) << source;
        EXPECT_TRUE(log.contains("truncated entry table")) << source;
        EXPECT_EQ(engine->core()->globals().size(), 3u) << source;
    }
}

TEST(ImageLoadingTest, CallArgumentsResultsAndCollection) {
    // Arguments become the locals in order; platform strings arrive as byte strings.
    fnd::Value args = fnd::Value::array({5, "ab"});
    EXPECT_EQ(testing::runMain("load L0\n load L1\n mkarray 2\n ret", args), fnd::Value::array({5, bytes("ab")}));
    EXPECT_EQ(testing::runMain("push 7\n ret"), fnd::Value(7));
    EXPECT_TRUE(testing::runMain("push 7\n stop").isNull());

    // After a call only what the globals reach survives; an unknown name collects nothing.
    auto engine = engineFor(".entry \"main\" G3\n func main\n store G3\n mkarray 0\n pop\n stop\n"
                            "main: mkarray 0\n store G5\n mkarray 0\n ret\n");
    EXPECT_EQ(engine->core()->pool().size(), 1u);
    EXPECT_TRUE(engine->call("nothing", fnd::Value()).isNull());
    EXPECT_EQ(engine->core()->pool().size(), 1u);
    EXPECT_EQ(engine->call("main", fnd::Value()), fnd::Value::array());
    EXPECT_EQ(engine->core()->pool().size(), 1u) << "only the array in global 5 survives";
    EXPECT_NE(arrayOf(engine->core()->globals()[5]), nullptr);

    // The state is mirrored in global 2, where the script reads it.
    engine = engineFor(mainProgram("load G2\n ret"));
    engine->setstate(12);
    EXPECT_EQ(engine->state(), 12);
    EXPECT_EQ(engine->call("main", fnd::Value()), fnd::Value(12));
}

TEST(ImageLoadingTest, SurfacesFontAndSeeds) {
    auto clock = fnd::ManualClock::install();
    auto engine = engineFor(mainProgram("stop"));
    STLScriptCore& core = *engine->core();
    EXPECT_EQ(core.loadTime, fnd::Clock::now().sinceReferenceDate());
    // Seeds come from the clock's whole seconds, so a second load at the same moment repeats them.
    auto again = engineFor(mainProgram("stop"));
    EXPECT_EQ(again->core()->randomSeeds, core.randomSeeds);
    fnd::Clock::install(nullptr);

    // Offscreen surfaces take slots 2 to 99, each saved once; past the last slot nothing is written.
    EXPECT_EQ(core.buffers().size(), 100u);
    for (int expected = 2; expected < 100; ++expected) {
        ASSERT_EQ(core.addBuffer(4, 3), expected);
    }
    EXPECT_EQ(core.buffers()[99]->width(), 4);
    EXPECT_EQ(core.addBuffer(4, 3), -1);
    EXPECT_EQ(core.buffers().size(), 100u);

    // setBuffer extends the slots and gives an empty one a surface of the engine's size.
    ASSERT_TRUE(core.setBuffer(150));
    EXPECT_EQ(core.buffers().size(), 151u);
    EXPECT_EQ(core.currentBuffer(), 150);
    ASSERT_NE(core.currentContext(), nullptr);
    EXPECT_EQ(core.currentContext()->width(), 320);
    EXPECT_EQ(core.currentContext()->height(), 240);
    EXPECT_FALSE(core.setBuffer(STLScriptCore::kMaxBufferIndex));
    EXPECT_FALSE(core.setBuffer(-1));
    EXPECT_EQ(core.currentBuffer(), 150);

    // Storing a context into a slot does not change the current surface.
    auto view = gfx::Context::createView(8, 8);
    engine->setContext(view, 0);
    EXPECT_EQ(core.buffers()[0], view);
    EXPECT_EQ(core.currentBuffer(), 150);
    ASSERT_TRUE(core.setBuffer(0));
    EXPECT_EQ(core.currentContext(), view);

    EXPECT_EQ(core.font()->fontName(), "Helvetica-Bold");
    EXPECT_EQ(core.font()->pointSize(), 14);
    core.setFont("Helvetica", 20);
    EXPECT_EQ(core.font()->fontName(), "Helvetica");
    EXPECT_EQ(core.font()->pointSize(), 20);
    core.setFont(std::nullopt, 30);
    EXPECT_EQ(core.font()->fontName(), "Helvetica-Bold");
    EXPECT_EQ(core.font()->pointSize(), 14);
}

} // namespace
} // namespace zelvan
