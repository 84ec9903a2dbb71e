// The game screen over a real engine and the fake host: its size, orientation and input line in both
// layouts, queued commands and chat, the chat packet, name labels, the thinned repaints, player pages
// and a page's call into the engine, the loading view's life, the room handed over from another thread,
// and a picture of a screen with labels and chat for a person to look at.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/localization.h"
#include "games/engine/script_value.h"
#include "games/screen/script_controller.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/graphics/font.h"
#include "platform/graphics/text_layout.h"
#include "platform/ui/application.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/keyboard.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"
#include "tests/games/engine/fake_game_host.h"
#include "tests/games/engine/script_test_support.h"
#include "tests/support/scoped_app_delegate.h"
#include "toolkit/zelvan_widget.h"
#include "web/web_page_host.h"
#include "web/zelvan_web_script.h"

namespace zelvan {
namespace {

using fnd::Value;

// Entry points "paint" and "move" each run native 26 with 1 or 2; the test counts them.
std::atomic<int> gPaints{0};
std::atomic<int> gMoves{0};
ScriptValue countCall(STLScriptCore&, std::span<const ScriptValue> args) {
    if (!args.empty() && isInt(args[0])) {
        ++(intOf(args[0]) == 1 ? gPaints : gMoves);
    }
    return kNoValue;
}

constexpr std::string_view kGame = ".entry \"paint\" G3\n.entry \"move\" G4\n"
                                   "    func paint\n    store G3\n    func move\n    store G4\n    stop\n"
                                   "paint:\n    push 1\n    native 26 1\n    pop\n    stop\n"
                                   "move:\n    push 2\n    native 26 1\n    pop\n    stop\n";

struct Page : WebPageHost {
    std::shared_ptr<ui::ViewController> parent;
    std::shared_ptr<ui::ViewController> parentController() override { return parent; }
    Value pageContext() override { return Value(); }
    std::string pageUrl() override { return "http://games.test/"; }
    void callJS(const std::string&) override {}
    std::shared_ptr<ui::View> webView() override { return nullptr; }
};

class ScriptControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        gPaints = 0;
        gMoves = 0;
    }
    void TearDown() override {
        ui::testing::TouchDriver::reset();
        if (window_) {
            window_->setHidden(true);
        }
        fnd::RunLoop::main().advance(1);
        fnd::Clock::install(nullptr);
    }
    // A screen with the game attribute `attribute`, built and shown in a window of its size.
    std::shared_ptr<ScriptController> open(int32_t attribute, bool withRoom = true) {
        auto screen = ScriptController::initWithScript("Cards", testing::assemble(kGame), Value(1001), Value("12"),
                                                       Value(77), Value::array({"101", "102"}),
                                                       Value::array({"ann", "bob"}), 320, 480, Value(attribute), host_);
        screen->engine()->core()->natives().registerNative(26, countCall);
        screen->engine()->setstate(1);
        if (withRoom) {
            screen->setRoom(GameRoom::newFromArray(Value::array({12, "Hall", 0, 1, 1, 0x400, 50, 1, 0})));
        }
        screen->handleGameInit();
        window_ = ui::View::create<ui::Window>(screen->view()->frame());
        window_->makeKeyAndVisible();
        window_->addSubview(screen->view());
        settle();
        return screen;
    }
    static void settle() {
        fnd::RunLoop::main().runUntilIdle();
        ui::Application::shared().flush();
    }
    static int paintsAfter(const std::function<void()>& fn) {
        const int before = gPaints.load();
        fn();
        settle();
        return gPaints.load() - before;
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<testing::FakeGameHost> host_ = std::make_shared<testing::FakeGameHost>();
    std::shared_ptr<ui::Window> window_;
};

TEST_F(ScriptControllerTest, OrientationSizesTheScreenAndPlacesTheInputLine) {
    struct Case {
        int32_t attribute;
        gfx::Size size;
        double inputY;
        bool landscapeAllowed;
    };
    for (const Case& c : {Case{8, {480, 320}, 130, true}, Case{0, {320, 480}, 235, false}}) {
        auto screen = open(c.attribute);
        EXPECT_EQ(screen->view()->frame().size, c.size);
        EXPECT_EQ(screen->scriptView()->frame().size, c.size);
        EXPECT_EQ(screen->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeLeft),
                  c.landscapeAllowed);
        EXPECT_EQ(screen->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeRight),
                  c.landscapeAllowed);
        EXPECT_EQ(screen->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::Portrait),
                  !c.landscapeAllowed);
        EXPECT_EQ(screen->loadingView()->portrait(), !c.landscapeAllowed);
        // The natives' copy of the game as drawn is the script view's backing, from any thread.
        gfx::ImagePtr drawn;
        std::thread([&] { drawn = screen->screenImage(); }).join();
        ASSERT_NE(drawn, nullptr);
        EXPECT_EQ(drawn->width(), c.size.width);
        screen->showInput();
        settle();
        ASSERT_EQ(screen->maskView()->superview(), screen->view());
        EXPECT_EQ(screen->maskView()->frame(), screen->view()->bounds());
        EXPECT_EQ(screen->inputView()->frame(), gfx::Rect(0, c.inputY, c.size.width, 32));
        EXPECT_TRUE(screen->inputView()->isFirstResponder());
        screen->hideAndCloseGame();
        EXPECT_EQ(screen->engine(), nullptr);
        EXPECT_EQ(screen->scriptView()->parent(), nullptr);
        window_->setHidden(true);
    }
}

TEST_F(ScriptControllerTest, ChatLinesCommandsAndTheChatPacket) {
    auto screen = open(8);
    // Elements 2 onward are queued for the script: two elements queue an empty array.
    screen->handleGameScript(Value::array({40, 1}));
    screen->handleGameScript(Value::array({40, 1, "a", 2}));
    EXPECT_EQ(screen->engine()->takeOldestCmd(), Value::array());
    EXPECT_EQ(screen->engine()->takeOldestCmd(), Value::array({"a", 2}));

    screen->handleMessage("bob: hi", -1);
    screen->handleMessage("bob joined", -2);
    screen->handleMessage("ignored", 0);
    settle();
    ASSERT_EQ(screen->chat()->messages().size(), 2u);
    EXPECT_EQ(screen->chat()->messages()[1]->type(), IMMessage::kTypeSystem);

    // An empty line sends nothing but closes the input.
    screen->showInput();
    settle();
    EXPECT_TRUE(ui::testing::Keyboard::pressReturn());
    settle();
    EXPECT_TRUE(host_->sent().empty());
    EXPECT_EQ(screen->maskView()->superview(), nullptr);
    EXPECT_EQ(screen->chat()->messages().size(), 2u);

    // A tap on the chat area opens the input; the line goes out as [34, room, text] and shows as "Me".
    screen->hideProgress();
    screen->displayChat(10, 10, 200, 100, 12, 0xffffff, 100, Value());
    settle();
    ui::testing::TouchDriver::tap(window_, {50, 50});
    settle();
    ASSERT_EQ(screen->maskView()->superview(), screen->view());
    EXPECT_TRUE(ui::testing::Keyboard::type("gg"));
    EXPECT_TRUE(ui::testing::Keyboard::pressReturn());
    settle();
    ASSERT_EQ(host_->sent().size(), 1u);
    EXPECT_EQ(host_->sent()[0], Value::array({34, 12, "gg"}));
    ASSERT_EQ(screen->chat()->messages().size(), 3u);
    EXPECT_EQ(screen->chat()->messages()[2]->tokens().back(),
              MessageToken(fnd::format(ZLS("Me: %@"), std::string("gg"))));
    EXPECT_EQ(screen->inputView()->text(), "");
    EXPECT_EQ(screen->maskView()->superview(), nullptr);
}

TEST_F(ScriptControllerTest, NameLabelsChatAreaAndUnknownLabels) {
    auto screen = open(0);
    screen->drawUserName(Value::array({"ann", 10, 20, 14, 50, 0xff0000, 0, 80}));
    screen->drawUserName(Value::array({"bob", 30, 40, 12, 100, 0x00ff00, 1, 90, 25}));
    screen->displayChat(5, 300, 310, 120, 11, 0x0000ff, 80, Value::array({0xffffff, 0xff0000}));
    settle();
    ASSERT_EQ(screen->nameLabels().size(), 2u);
    const std::shared_ptr<ui::Label> ann = screen->nameLabels().at(0);
    const auto font = gfx::Font::withName("Helvetica-Bold", 14);
    EXPECT_EQ(ann->frame(), gfx::Rect(10, 20, 80, gfx::sizeWithFont("ann", font).height));
    EXPECT_EQ(ann->textColor(), ZelvanWidget::colorFromWeb(0xff0000, 0.5));
    EXPECT_EQ(ann->font()->fontName(), "Helvetica-Bold");
    EXPECT_EQ(ann->font()->pointSize(), 14);
    EXPECT_EQ(ann->superview(), screen->view());
    EXPECT_EQ(screen->nameLabels().at(1)->frame(), gfx::Rect(30, 40, 90, 25));
    EXPECT_FALSE(screen->chat()->isHidden());
    EXPECT_EQ(screen->chat()->frame(), gfx::Rect(5, 300, 310, 120));
    EXPECT_EQ(screen->chat()->textColor(), ZelvanWidget::colorFromWeb(0x0000ff, 0.8));
    EXPECT_EQ(screen->chat()->colors(), (std::vector<int32_t>{0xffffff, 0xff0000}));
    screen->handleMessage("bob: nice move", -1);
    screen->handleMessage("ann: thanks", -1);
    screen->hideProgress();
    settle();

    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    EXPECT_TRUE(ui::Snapshot::saveViewAsPng(*window_, "screenshots/game-screen.png"));

    fnd::testing::LogCapture log;
    screen->hideUserName(7);
    screen->hideUserName(0);
    settle();
    EXPECT_TRUE(log.contains("hideUserNameInMainThread not found 7"));
    EXPECT_EQ(screen->nameLabels().count(0), 0u);
    EXPECT_EQ(ann->superview(), nullptr);
}

TEST_F(ScriptControllerTest, RefreshesThinWhileTheDialogShowsAndStopWhileLocked) {
    ScopedAppDelegate app;
    auto screen = open(8);
    EXPECT_EQ(paintsAfter([&] { screen->safeRefresh(); }), 1);

    screen->webDlgShow("http://games.test/help");
    settle();
    ASSERT_TRUE(screen->webDialog()->isVisible());
    EXPECT_EQ(paintsAfter([&] {
                  for (int i = 0; i < 4; ++i) {
                      screen->safeRefresh();
                      settle();
                  }
              }),
              1);
    // From the game thread the repaint moves to the main thread.
    EXPECT_EQ(paintsAfter([&] {
                  std::thread tick([&] {
                      for (int i = 0; i < 4; ++i) {
                          screen->safeRefresh();
                      }
                  });
                  tick.join();
              }),
              1);

    app->applicationWillResignActive();
    EXPECT_EQ(paintsAfter([&] {
                  for (int i = 0; i < 8; ++i) {
                      screen->safeRefresh();
                  }
              }),
              0);
    app->applicationDidBecomeActive();
}

TEST_F(ScriptControllerTest, PlayerPagesAndPageCallsReachTheDialogAndTheEngine) {
    auto screen = open(8);
    screen->showUserInfo(-1);
    screen->showUserInfo(2);
    settle();
    EXPECT_EQ(screen->webDialog(), nullptr);
    screen->showUserInfo(1);
    settle();
    ASSERT_NE(screen->webDialog(), nullptr);
    auto plain = std::dynamic_pointer_cast<PlainWebDialogController>(screen->webDialog()->controller());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->initUrl(), fnd::format("%@?uid=%d&gid=%d", ZLS("static_userinfo"), 102, 77));
    EXPECT_EQ(plain->parentController(), screen);

    auto page = std::make_shared<Page>();
    page->parent = screen;
    auto bridge = ZelvanWebScript::create(page);
    bridge->invoke("gameScriptCall", {Value("move"), Value("[3]")});
    EXPECT_EQ(gMoves.load(), 1);
    screen->disposeEngine();
    bridge->invoke("gameScriptCall", {Value("move"), Value("[3]")});
    EXPECT_EQ(gMoves.load(), 1);
    EXPECT_EQ(paintsAfter([&] { screen->scriptView()->setNeedsDisplay(); }), 0);
}

TEST_F(ScriptControllerTest, LoadingViewGoesForGoodAndTheRoomIsPublishedSafely) {
    auto screen = open(8, false);
    // A tutorial has no room: the natives read 0 and 0, and the chat packet carries room 0.
    EXPECT_EQ(screen->roomId(), 0);
    EXPECT_EQ(screen->roomAttribute(), 0);

    std::weak_ptr<GameLoadView> loading = screen->loadingView();
    ASSERT_NE(loading.lock(), nullptr);
    EXPECT_EQ(loading.lock()->superview(), screen->view());
    EXPECT_TRUE(loading.lock()->isAnimating());
    screen->setProgress(50);
    settle();
    EXPECT_EQ(loading.lock()->progressLabel()->text(), "50%");

    screen->hideProgress();
    settle();
    EXPECT_EQ(screen->loadingView(), nullptr);
    // Nothing keeps the view: its timer held it weakly and is gone.
    EXPECT_TRUE(loading.expired());
    screen->setProgress(80);
    screen->showProgress();
    settle();
    clock_->advance(2);
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(screen->loadingView(), nullptr);

    // The room handed over on the main thread while the game thread reads it.
    std::atomic<bool> stop{false};
    std::atomic<int> seen{0};
    std::thread reader([&] {
        while (!stop) {
            const int32_t id = screen->roomId();
            if (id != 0 && id != 12) {
                ++seen;
            }
        }
    });
    for (int i = 0; i < 200; ++i) {
        screen->setRoom(i % 2 == 0 ? GameRoom::newFromArray(Value::array({12, "Hall", 0, 1, 1, 0x400, 50, 1, 0}))
                                   : nullptr);
    }
    stop = true;
    reader.join();
    EXPECT_EQ(seen.load(), 0);
    EXPECT_EQ(screen->roomAttribute(), 0);
}

} // namespace
} // namespace zelvan
