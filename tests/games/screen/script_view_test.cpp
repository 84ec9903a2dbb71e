// The script view and the room record: touches in both modes as the script hears them, repaints that
// clear the backing and skip a stopped or disposed game, and a real engine drawing into the view's
// backing from the game thread and from "paint" while the window composes and the view resizes.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "games/engine/script_value.h"
#include "games/room/game_room.h"
#include "games/screen/script_view.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/application.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"
#include "tests/games/engine/script_test_support.h"

namespace zelvan {
namespace {

using fnd::Value;
using ui::testing::TouchDriver;

// Records every entry point called, with its arguments; the state is what the test sets.
class RecordingEngine : public BaseScriptEngine {
public:
    RecordingEngine() : BaseScriptEngine({}, 1, 5, 77, Value(), Value(), 320, 480) {}
    Value call(std::string_view name, const Value& args) override {
        calls.push_back(Value::array({std::string(name), args}));
        return Value();
    }
    int32_t state() const override { return stateValue; }
    void setContext(std::shared_ptr<gfx::Context> context, int index, std::shared_ptr<SurfaceGuard> guard) override {
        contexts.push_back({std::move(context), index, guard != nullptr});
    }
    struct Install {
        std::shared_ptr<gfx::Context> context;
        int index;
        bool guarded;
    };
    std::vector<Value> calls;
    std::vector<Install> contexts;
    int32_t stateValue = 0;
};

TEST(GameRoomTest, ReadsNineElementsFromAnyStartAndAnswersItsQuestions) {
    Value list = Value::array({"x", "y", "z", 12, "Hall", "3", 1, 1, 0x400, 50, 0, 2});
    auto room = GameRoom::newFromArray(list, 3);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->roomId, 12);
    EXPECT_EQ(room->name, Value("Hall"));
    EXPECT_EQ(room->subSize, 3); // a number given as text reads by intValue
    EXPECT_EQ(room->parentId, 1);
    EXPECT_EQ(room->attribute, 0x400);
    EXPECT_EQ(room->maxUser, 50);
    EXPECT_EQ(room->multiple, 2);
    EXPECT_FALSE(room->isSingleGame);
    EXPECT_TRUE(room->isGameTable()); // a chat room offering a multi-player game
    room->multiple = 0;
    EXPECT_FALSE(room->isGameTable());
    room->single = 1;
    EXPECT_TRUE(room->isGameTable());
    room->ischat = 0;
    EXPECT_FALSE(room->isGameTable());

    // Short or missing arrays give no room rather than reading past the end.
    EXPECT_EQ(GameRoom::newFromArray(list, 4), nullptr);
    EXPECT_EQ(GameRoom::newFromArray(list, 40), nullptr);
    EXPECT_EQ(GameRoom::newFromArray(Value("room")), nullptr);

    EXPECT_TRUE(GameRoom::checkAttr(0x28, 8));
    EXPECT_FALSE(GameRoom::checkAttr(0x20, 8 | 4));
    EXPECT_EQ(GameRoom::setAttr(0x20, 8, true), 0x28);
    EXPECT_EQ(GameRoom::setAttr(0x28, 8, false), 0x20);
}

class ScriptViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        view_ = ui::View::create<ScriptView>(gfx::Rect(0, 0, 320, 480));
        window_->addSubview(view_);
        view_->setParent(engine_);
    }
    void TearDown() override {
        TouchDriver::reset();
        window_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        fnd::Clock::install(nullptr);
    }
    // The names of the calls so far (paints left out), and the argument lists of those named `name`.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const Value& call : engine_->calls) {
            if (call.asArray()->objectAtIndex(0).stringValue() != "paint") {
                out.push_back(call.asArray()->objectAtIndex(0).stringValue());
            }
        }
        return out;
    }
    Value argsOf(size_t i) const { return engine_->calls[i].asArray()->objectAtIndex(1); }
    size_t paints() const {
        size_t n = 0;
        for (const Value& call : engine_->calls) {
            n += call.asArray()->objectAtIndex(0).stringValue() == "paint" ? 1 : 0;
        }
        return n;
    }
    void dropCalls() { engine_->calls.clear(); }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ui::Window> window_;
    std::shared_ptr<ScriptView> view_;
    std::shared_ptr<RecordingEngine> engine_ = std::make_shared<RecordingEngine>();
};

TEST_F(ScriptViewTest, SeveralTouchesModeNumbersFingersAndCallsOncePerEvent) {
    view_->setMultipleTouchEnabled(true);
    ui::Application::shared().flush();
    dropCalls();
    clock_->advance(2.5);
    TouchDriver::multi(ui::TouchPhase::Began, {{1, {10.7, 20.2}}, {2, {100, 200}}});
    ASSERT_EQ(names(), (std::vector<std::string>{"touchesBegan"}));
    const double ms = std::trunc(TouchDriver::touchForFinger(1)->timestamp() * 1000);
    EXPECT_EQ(argsOf(0),
              Value::array({Value::array({Value::array({1, 10, 20, ms}), Value::array({2, 100, 200, ms})})}));

    dropCalls();
    TouchDriver::touchUp(2);
    ASSERT_EQ(names(), (std::vector<std::string>{"touchesEnded"}));
    EXPECT_EQ(argsOf(0).asArray()->objectAtIndex(0).asArray()->count(), 1u);
    EXPECT_EQ(argsOf(0).asArray()->objectAtIndex(0).asArray()->objectAtIndex(0).asArray()->objectAtIndex(0), Value(2));

    // A new finger gets a new id; the lifted finger's id is not given again.
    dropCalls();
    TouchDriver::touchDown(3, {50, 60});
    ASSERT_EQ(names(), (std::vector<std::string>{"touchesBegan"}));
    Value entries = argsOf(0).asArray()->objectAtIndex(0);
    ASSERT_EQ(entries.asArray()->count(), 1u);
    EXPECT_EQ(entries.asArray()->objectAtIndex(0).asArray()->objectAtIndex(0), Value(3));

    // Moves list only the moving fingers; cancelled fingers go silently; no redraw is asked for.
    dropCalls();
    TouchDriver::touchMove(3, {55, 66});
    ASSERT_EQ(names(), (std::vector<std::string>{"touchesMoved"}));
    entries = argsOf(0).asArray()->objectAtIndex(0);
    ASSERT_EQ(entries.asArray()->count(), 1u);
    EXPECT_EQ(entries.asArray()->objectAtIndex(0).asArray()->objectAtIndex(1), Value(55));
    dropCalls();
    TouchDriver::cancel(1);
    TouchDriver::cancel(3);
    EXPECT_TRUE(names().empty());
    ui::Application::shared().flush();
    EXPECT_EQ(paints(), 0u);

    // Once the engine is let go nothing reaches it.
    view_->setParent(nullptr);
    TouchDriver::touchDown(4, {5, 5});
    TouchDriver::touchUp(4);
    view_->setNeedsDisplay();
    ui::Application::shared().flush();
    EXPECT_TRUE(engine_->calls.empty());
}

TEST_F(ScriptViewTest, SingleTouchModeCallsPerFingerAndRedrawsButNotWhenStopped) {
    ui::Application::shared().flush();
    // The view's backing is slot 0 of the engine, with the guard.
    ASSERT_FALSE(engine_->contexts.empty());
    EXPECT_EQ(engine_->contexts.back().context, view_->backingContext());
    EXPECT_EQ(engine_->contexts.back().index, 0);
    EXPECT_TRUE(engine_->contexts.back().guarded);
    EXPECT_EQ(view_->surfaceGuard()->surface, view_->backingContext());

    // The window hands a single-touch view only its first finger; a set of two that reaches the view
    // still gives one call per finger.
    view_->setMultipleTouchEnabled(true);
    TouchDriver::multi(ui::TouchPhase::Began, {{1, {10, 20}}, {2, {30.9, 40}}});
    view_->setMultipleTouchEnabled(false);
    dropCalls();
    view_->touchesBegan({TouchDriver::touchForFinger(1), TouchDriver::touchForFinger(2)}, nullptr);
    EXPECT_EQ(names(), (std::vector<std::string>{"touch", "touch"}));
    EXPECT_EQ(argsOf(0), Value::array({10, 20}));
    EXPECT_EQ(argsOf(1), Value::array({30, 40}));
    dropCalls();
    TouchDriver::touchMove(1, {11, 21});
    TouchDriver::touchUp(1);
    TouchDriver::cancel(2);
    EXPECT_EQ(names(), (std::vector<std::string>{"touchMove", "untouch"}));
    ui::Application::shared().flush();
    EXPECT_GE(paints(), 1u);

    // A repaint clears the backing to transparent; at state -1 it runs no "paint".
    view_->withBackingContext([](gfx::Context& ctx) {
        ctx.setRGBFillColor(1, 0, 0, 1);
        ctx.fillRect(gfx::Rect(0, 0, 320, 480));
    });
    engine_->stateValue = -1;
    dropCalls();
    view_->setNeedsDisplay();
    ui::Application::shared().flush();
    EXPECT_EQ(paints(), 0u);
    EXPECT_EQ(view_->copyBacking()->pixelAt(5, 5).a, 0);

    // A resize replaces the backing and installs the new one.
    const size_t installs = engine_->contexts.size();
    view_->setFrame(gfx::Rect(0, 0, 480, 320));
    ui::Application::shared().flush();
    ASSERT_GT(engine_->contexts.size(), installs);
    EXPECT_EQ(engine_->contexts.back().context, view_->backingContext());
    EXPECT_EQ(view_->backingContext()->width(), 480);
}

// A native that draws a 4 x 4 square after moving the origin by (7, 7) and clipping, under the
// drawing lock, and counts the runs whose slot-0 state did not start out fresh.
std::atomic<int> gDraws{0};
std::atomic<int> gStaleStates{0};
ScriptValue drawSquare(STLScriptCore& core, std::span<const ScriptValue>) {
    std::shared_ptr<void> pixels = core.lockDrawing();
    const std::shared_ptr<gfx::Context>& ctx = core.currentContext();
    if (ctx == nullptr) {
        return kNoValue;
    }
    if (!(ctx->getCTM() == gfx::Context::createView(ctx->width(), ctx->height())->getCTM())) {
        ++gStaleStates;
    }
    ctx->translateCTM(7, 7);
    ctx->clipToRect(gfx::Rect(0, 0, 4, 4));
    ctx->setRGBFillColor(1, 0, 0, 1);
    ctx->fillRect(gfx::Rect(0, 0, 40, 40));
    ++gDraws;
    return kNoValue;
}

TEST_F(ScriptViewTest, RealEngineDrawsFromBothThreadsWhileTheWindowComposesAndResizes) {
    auto engine = std::shared_ptr<STLScriptEngine>(testing::engineFor(".entry \"paint\" G3\n.entry \"tick\" G4\n"
                                                                      "    func paint\n    store G3\n"
                                                                      "    func tick\n    store G4\n    stop\n"
                                                                      "paint:\n    native 26 0\n    pop\n    stop\n"
                                                                      "tick:\n    native 26 0\n    pop\n    stop\n"));
    engine->core()->natives().registerNative(26, drawSquare);
    engine->setstate(1);
    gDraws = 0;
    gStaleStates = 0;
    view_->setParent(engine);

    std::atomic<bool> done{false};
    std::thread game([&] {
        for (int i = 0; i < 300; ++i) {
            engine->call("tick", Value());
        }
        done = true;
    });
    for (int i = 0; !done || i < 300; ++i) {
        if (i % 40 == 0) {
            view_->setFrame(i % 80 == 0 ? gfx::Rect(0, 0, 480, 320) : gfx::Rect(0, 0, 320, 480));
        }
        view_->setNeedsDisplay();
        ui::Application::shared().flush();
        if (i % 25 == 0) {
            EXPECT_NE(ui::Snapshot::captureView(*window_), nullptr);
        }
    }
    game.join();

    for (int i = 0; i < 1000; ++i) {
        view_->setNeedsDisplay();
        ui::Application::shared().flush();
    }
    EXPECT_GE(gDraws.load(), 1300);
    // Every run found slot 0 in its base state: no run's translation or clip leaked into the next.
    EXPECT_EQ(gStaleStates.load(), 0);
    // And the saves and restores balanced: the backing holds no saved state after 1,000 paints.
    {
        fnd::testing::LogCapture log;
        view_->withBackingContext([](gfx::Context& ctx) { ctx.restoreGState(); });
        EXPECT_TRUE(log.contains("restoreGState with no saved state"));
    }
    // The last paint: cleared, then the square at (7, 7) only.
    gfx::ImagePtr drawn = view_->copyBacking();
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(drawn->pixelAt(8, 8), (gfx::Rgba8{255, 0, 0, 255}));
    EXPECT_EQ(drawn->pixelAt(12, 12).a, 0);
    EXPECT_EQ(drawn->pixelAt(2, 2).a, 0);
    view_->setParent(nullptr);
}

} // namespace
} // namespace zelvan
