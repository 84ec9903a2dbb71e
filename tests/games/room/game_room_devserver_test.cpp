// A game played end to end in the client as the application wires it, over real loopback TCP against
// the dev server: the Games tab shows the lobby, the server starts the demo game, the game loads its
// resources through the game cache while the test turns the game loop, plays the command it is sent,
// reports its win and closes after the score page. Leaves a picture of the game for a person to look at.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/services.h"
#include "core/localization.h"
#include "games/room/game_room_web_controller.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/format.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/window.h"
#include "tests/messaging/launched_messenger.h"
#include "tools/devserver/demo_game.h"

namespace zelvan {
namespace {

using fnd::Value;

constexpr int32_t kRoom = 301;
constexpr int32_t kSingleGame = 2;

bool pump(const std::function<bool()>& done, double seconds = 10.0) {
    return fnd::RunLoop::main().pumpUntil(done, seconds);
}

class GameRoomDevServer : public ::testing::Test {
protected:
    void SetUp() override {
        auto options = LaunchedMessenger::demoAccount();
        options.gameRoot = devserver::builtGameRoot();
        client_ = std::make_unique<LaunchedMessenger>(options);
        ASSERT_TRUE(client_->serveWeb(std::string(std::getenv("ZELVAN_SOURCE_DIR")) + "/tools/devserver/site"));
        // The application's own wiring; the launched fixture supplies only the messenger.
        AppRegistry registry = app::makeRegistry();
        registry.zelvanWebCache = std::move(client_->registry().zelvanWebCache);
        registry.photoSource = std::move(client_->registry().photoSource);
        client_->registry() = std::move(registry);
        client_->installAsInstance();
        client_->beforeLaunch([](zelvanAppDelegate& delegate) { app::connectServices(delegate); });
        ASSERT_TRUE(client_->launch());
        // The test turns the game loop itself, one tick at a time.
        delegate().gameLoop().stop();
        rooms_ = std::dynamic_pointer_cast<GameRoomWebController>(delegate().newgamerooms());
        ASSERT_NE(rooms_, nullptr);
    }
    void TearDown() override {
        if (client_ && client_->delegate()) {
            delegate().hideInfo();
        }
        ui::testing::AlertDriver::finishAnimations();
        client_.reset();
    }

    zelvanAppDelegate& delegate() { return *client_->delegate(); }

    // The packets of command `cmd` the server received from the client, in order.
    std::vector<Value> received(int cmd) const {
        std::vector<Value> found;
        for (const auto& got : client_->server().received()) {
            if (got.packet.isArray() && got.packet.asArray()->count() > 0 &&
                got.packet.asArray()->objectAtIndex(0).intValue() == cmd) {
                found.push_back(got.packet);
            }
        }
        return found;
    }

    // One turn of the game loop, then whatever it moved to the main thread.
    void tick() {
        delegate().gameLoop().turn();
        fnd::RunLoop::main().runUntilIdle();
    }

    std::unique_ptr<LaunchedMessenger> client_;
    std::shared_ptr<GameRoomWebController> rooms_;
};

TEST_F(GameRoomDevServer, TheServerStartsTheDemoGameWhichLoadsPlaysReportsItsWinAndCloses) {
    // The Games tab shows the lobby page of the dev site (loaded again now that the player is signed in).
    client_->showMessenger();
    delegate().switchTab(zelvanAppDelegate::TabGames, ui::Animated::No);
    ASSERT_NE(rooms_->webView(), nullptr);
    const std::string lobby = fnd::format("http://%@/iphone/", client_->webHost()) + ZLS("static_game_1600");
    EXPECT_TRUE(pump([&] { return rooms_->webView()->pageUrl() == lobby && !rooms_->webView()->isLoadingPage(); }));

    // The server starts the demo game alone for the player.
    auto bytecode = fnd::readFile(devserver::builtGameRoot() + "/" + std::string(devserver::kDemoBytecodeFile));
    ASSERT_TRUE(bytecode.has_value());
    ASSERT_TRUE(client_->server().push(
        "5550100", Value::array({21, "Demo game", kRoom, 1001, Value::array({"Demo Player"}), Value::array({1001}),
                                 *bytecode, devserver::kDemoGameId, 0, kSingleGame})));
    ASSERT_TRUE(pump([&] { return rooms_->playingScreen() != nullptr; }));
    auto game = rooms_->playingScreen();

    // Loading: the first tick asks the cache for the resources and shows 50 %; once the server's
    // answers are in, the script loads them and the loading view goes. The first answer is held
    // until then, so a quick server cannot end the loading inside that tick.
    client_->server().stallNextReply();
    tick();
    ASSERT_NE(game->loadingView(), nullptr);
    EXPECT_FLOAT_EQ(game->loadingView()->progress(), 0.5f);
    EXPECT_TRUE(pump([&] { return !received(76).empty(); }));
    client_->server().releaseHeld();
    ASSERT_TRUE(pump([&] {
        tick();
        return game->loadingView() == nullptr;
    }));
    tick(); // "start"

    // One command from the server: the script echoes it and wins.
    ASSERT_TRUE(client_->server().push("5550100", Value::array({22, kRoom, "move", 1})));
    ASSERT_TRUE(pump([&] {
        tick();
        return !received(40).empty();
    }));
    ASSERT_FALSE(received(15).empty());
    const auto& echo = *received(15).front().asArray();
    EXPECT_EQ(echo.objectAtIndex(1).intValue(), kRoom);
    EXPECT_EQ(received(47), (std::vector<Value>{Value::array({47, 1, 0, kRoom + 1, devserver::kDemoGameId})}));
    EXPECT_EQ(received(40), (std::vector<Value>{Value::array({40, kRoom})}));
    ASSERT_TRUE(pump([] { return ui::testing::AlertDriver::visibleAlert() != nullptr; }));
    EXPECT_EQ(ui::testing::AlertDriver::visibleAlert()->title(), ZLS("You Win!"));

    // A picture of the game as played, for a person to look at.
    fnd::RunLoop::main().runUntilIdle();
    std::error_code ec; // the folder is under the build tree; this test may be the first to write there
    std::filesystem::create_directories("screenshots", ec);
    EXPECT_TRUE(ui::Snapshot::saveViewAsPng(*delegate().window(), "screenshots/demo-game-played.png"));

    // The server's score: the score page opens in the lobby, the game is forgotten at once and its
    // screen closes half a second later.
    ASSERT_TRUE(client_->server().push("5550100", Value::array({65, kRoom, 100})));
    const auto pushed = std::chrono::steady_clock::now();
    ASSERT_TRUE(pump([&] { return rooms_->playingScreen() == nullptr; }));
    EXPECT_EQ(rooms_->webView()->pageUrl(),
              fnd::format(ZLS("http://%@/iphone/static_singlegamescore_%d?tid=%d&score=%d"), client_->webHost(),
                          devserver::kDemoGameId, kRoom, 100));
    ASSERT_TRUE(pump([&] { return game->engine() == nullptr; }));
    EXPECT_GE(std::chrono::steady_clock::now() - pushed, std::chrono::milliseconds(450));
    EXPECT_FALSE(rooms_->playingGame());
    // The result box went with the game.
    EXPECT_TRUE(pump([] { return ui::testing::AlertDriver::visibleAlert() == nullptr; }));
}

} // namespace
} // namespace zelvan
