// The game resource cache and a download run against the loopback dev server answering from a game
// folder: keys fetched and stored, and a run that updates a game's files under its progress bar
// (saved as screenshots/game-download-progress.png) and tells the Games tab's page.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "games/cache/zelvan_game_cache.h"
#include "games/cache/zlv_game_download_view.h"
#include "games/cache/zlv_game_version.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/array.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/progress_view.h"
#include "platform/ui/recording_script_host.h"
#include "platform/ui/snapshot.h"
#include "protocol/command_map.h"
#include "protocol/network_loop.h"
#include "protocol/packet_queue.h"
#include "tools/devserver/dev_server.h"
#include "tools/devserver/game_rules.h"
#include "web/z_advanced_web_view_controller.h"
#include "web/zelvan_web_cache.h"

namespace zelvan {
namespace {

namespace fs = std::filesystem;

fnd::Bytes filled(size_t size, uint8_t byte) {
    return fnd::Bytes(size, byte);
}

class GameCacheDevServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fnd::AppFolders::setUp());
        root_ = fnd::AppFolders::root() + "/games";
        put("resources/poker/table.dat", filled(25000, 1));
        put("resources/poker/chips.dat", filled(12000, 2));
        put("resources/face/3.png", filled(40, 3));
        put("web/games/poker/lobby.css", filled(300, 4));
        const std::string listText = "5\n0 poker/table.dat\n0 poker/chips.dat\n0 face/3.png\n1 games/poker/lobby.css\n";
        put("downloads/7/en", fnd::Bytes(listText.begin(), listText.end()));

        devserver::DevServerOptions options;
        options.accounts = *devserver::parseAccounts("5550001:pw");
        options.gameRoot = root_;
        server_ = std::make_unique<devserver::DevServer>(options);
        ASSERT_TRUE(server_->start());

        cache_ = std::make_shared<ZelvanGameCache>(
            GameCacheEnvironment{ZelvanGameCache::defaultCachePath(), "",
                                 [this](const ZelvanPacket& packet) { queue_.send(packet.array()); }},
            std::make_shared<ZLVGameVersion>());
        ASSERT_TRUE(cache_->initCache());
        map_.setOwner(CommandMap::Owner::GameCache, cache_);
        loop_ = std::make_unique<NetworkLoop>(queue_, "127.0.0.1", server_->port());
        loop_->setPacketHandler([this](const fnd::Value& packet) {
            const auto command = packet.asArray()->objectAtIndex(0).asInt();
            if (command == 0) {
                map_.setLoggedIn(true);
            } else if (command == ZLVGameDownloadView::kListCommand && stallAfterList_) {
                server_->stallNextReply(); // holds back the first file of the first batch
            }
            map_.dispatch(packet);
        });
        queue_.send(fnd::Value::array({0, 3, 1, "5550001", "pw", 0, "linux", "1.0", "en"}));
        loop_->start();
        ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([this] { return map_.loggedIn(); }, 20.0));
    }
    void TearDown() override {
        loop_->stop();
        server_->stop();
        fnd::RunLoop::main().runUntilIdle();
    }
    void put(const std::string& relative, const fnd::Bytes& bytes) {
        const std::string path = root_ + "/" + relative;
        fs::create_directories(fs::path(path).parent_path());
        ASSERT_TRUE(fnd::writeFile(path, bytes));
    }
    std::vector<fnd::Value> receivedOf(int command) {
        std::vector<fnd::Value> out;
        for (const auto& received : server_->received()) {
            if (received.packet.asArray()->objectAtIndex(0).asInt() == command) {
                out.push_back(received.packet);
            }
        }
        return out;
    }

    std::string root_;
    std::unique_ptr<devserver::DevServer> server_;
    PacketQueue queue_;
    CommandMap map_;
    std::unique_ptr<NetworkLoop> loop_;
    std::shared_ptr<ZelvanGameCache> cache_;
    std::atomic<bool> stallAfterList_{false};
};

TEST_F(GameCacheDevServerTest, KeysAreFetchedStoredAndThenServedLocally) {
    cache_->requestDataWithKeys({"poker/table.dat", "face/3.png", "missing.dat", "../../downloads/7/en"});
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] { return cache_->readyKeys().size() == 2 && cache_->pendingKeys().empty() && receivedOf(76).size() == 3; },
        20.0));
    EXPECT_EQ(fnd::readFile(*cache_->newDataWithKey("poker/table.dat")), filled(25000, 1));
    EXPECT_EQ(fnd::readFile(*cache_->newDataWithKey("face/3.png")), filled(40, 3));
    // The two keys without a file were asked once more each, and nothing outside the folder was served.
    EXPECT_EQ(receivedOf(76)[1], fnd::Value::array({76, "missing.dat", -1}));
    EXPECT_EQ(receivedOf(76)[2], fnd::Value::array({76, "../../downloads/7/en", -1}));
    EXPECT_EQ(cache_->newDataWithKey("../../downloads/7/en"), std::nullopt);

    cache_->requestDataWithKeys({"poker/table.dat"});
    EXPECT_TRUE(cache_->newDataWithKey("poker/table.dat"));
    EXPECT_EQ(receivedOf(76).size(), 3u);
}

TEST_F(GameCacheDevServerTest, ADownloadRunUpdatesTheGameUnderItsProgressBar) {
    WebCacheEnvironment web;
    web.webHost = [] { return std::string("games.test"); };
    DownloadStores stores{cache_, std::make_shared<ZelvanWebCache>(web)};
    ASSERT_TRUE(fnd::writeFile(cache_->cacheFilePath("poker/table.dat"), filled(10, 9)));
    ASSERT_TRUE(fnd::writeFile(cache_->cacheFilePath("face/3.png"), filled(40, 3)));
    auto tab = ZAdvancedWebViewController::create();
    tab->setWebCache(stores.webCache);
    tab->view()->setBackgroundColor(gfx::Color::white());
    auto store = std::make_shared<ZLVGameVersion>([&](std::weak_ptr<ZLVGameVersion> owner) {
        GameDownloadEnvironment environment;
        environment.sendPacket = [this](const ZelvanPacket& packet) { queue_.send(packet.array()); };
        environment.addCmdDelegate = [this](int cmd, const std::shared_ptr<CommandHandler>& handler) {
            map_.addCmdDelegate(cmd, handler);
        };
        environment.removeCmdDelegate = [this](const CommandHandler* handler) { map_.removeCmdDelegate(handler); };
        environment.webHost = "games.test";
        environment.gameCache = stores.gameCache;
        environment.webCache = stores.webCache;
        environment.gamesTab = [tab] { return tab; };
        return std::make_shared<ZLVGameDownloadView>(std::move(environment), std::move(owner));
    });

    stallAfterList_ = true;
    ASSERT_TRUE(store->startDownload(7, "en", "Zelvan's \"Poker\""));
    store->showDownloadView();
    auto run = store->download();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return run->downloadedSize() == 12000; }, 20.0));
    stallAfterList_ = false;
    // Waiting for the table: 12,000 of 37,300 bytes.
    EXPECT_EQ(run->downloadSize(), 37300);
    EXPECT_NEAR(run->progressView()->progress(), 12000.0 / 37300, 1e-9);
    std::error_code ec;
    fs::create_directories("screenshots", ec);
    ASSERT_TRUE(ui::Snapshot::saveViewAsPng(*tab->view(), "screenshots/game-download-progress.png"));
    const auto shot = ui::Snapshot::captureView(*tab->view());
    ASSERT_TRUE(shot);
    EXPECT_NE(shot->pixelAt(20, 4), shot->pixelAt(300, 4)); // filled on the left, empty on the right

    server_->releaseHeld();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !store->hasDownloadView(); }, 20.0));
    const auto host = std::dynamic_pointer_cast<ui::RecordingScriptHost>(tab->webView()->scriptHost());
    EXPECT_EQ(host->evaluations(), (std::vector<std::string>{R"(gameDownloaded(7,"en","Zelvan\'s \"Poker\"");)"}));
    EXPECT_EQ(store->getLocaleVersion(7, "en"), 5);
    EXPECT_EQ(fnd::readFile(cache_->cacheFilePath("poker/table.dat")), filled(25000, 1));
    EXPECT_EQ(fnd::readFile(cache_->cacheFilePath("poker/chips.dat")), filled(12000, 2));
    EXPECT_EQ(fnd::readFile(*stores.webCache->cacheFilePathForUrl("http://games.test/games/poker/lobby.css")),
              filled(300, 4));
    EXPECT_EQ(run->progressView()->superview(), nullptr);
    // The face picture was current: never asked for.
    for (const auto& asked : receivedOf(410)) {
        for (const auto& item : *asked.asArray()) {
            EXPECT_NE(item, fnd::Value("face/3.png"));
        }
    }
    EXPECT_EQ(receivedOf(410).size(), 2u);
}

} // namespace
} // namespace zelvan
