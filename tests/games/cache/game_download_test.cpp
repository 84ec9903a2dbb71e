// A game download run through a command map, with the game and web caches on a temporary root and a
// Games tab stand-in: the 406 list, 410 batches of about 30 KB, the progress bar, the page told with
// the name as a literal, the version store across reloads, the ways a run fails or is refused, and the
// bytes a run may bring.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "games/cache/zelvan_game_cache.h"
#include "games/cache/zlv_game_download_view.h"
#include "games/cache/zlv_game_version.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/array.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/progress_view.h"
#include "platform/ui/recording_script_host.h"
#include "protocol/command_map.h"
#include "web/z_advanced_web_view_controller.h"
#include "web/zelvan_web_cache.h"

namespace zelvan {
namespace {

fnd::Bytes bytesOfSize(size_t size) {
    return fnd::Bytes(size, 0x5a);
}

fnd::Value list(std::initializer_list<fnd::Value> items) {
    return fnd::Value::array(items);
}

class GameDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        ASSERT_TRUE(fnd::AppFolders::setUp());
        WebCacheEnvironment web;
        web.webHost = [] { return std::string("games.test"); };
        stores_.webCache = std::make_shared<ZelvanWebCache>(web);
        stores_.gameCache = std::make_shared<ZelvanGameCache>(
            GameCacheEnvironment{ZelvanGameCache::defaultCachePath(), "", {}}, nullptr);
        ASSERT_TRUE(stores_.gameCache->initCache());
        tab_ = ZAdvancedWebViewController::create();
        tab_->setWebCache(stores_.webCache);
        tab_->view();
        map_.setLoggedIn(true);
        store_ = std::make_shared<ZLVGameVersion>(runFactory());
    }
    void TearDown() override {
        store_.reset();
        fnd::RunLoop::main().runUntilIdle();
        fnd::Clock::install(nullptr);
    }

    ZLVGameVersion::RunFactory runFactory() {
        return [this](std::weak_ptr<ZLVGameVersion> owner) {
            GameDownloadEnvironment environment;
            environment.sendPacket = [this](const ZelvanPacket& packet) {
                std::string text;
                const fnd::Value array = packet.array();
                for (const auto& item : *array.asArray()) {
                    text += (text.empty() ? "" : " ") + item.stringValue();
                }
                sent_.push_back(text);
                events_.push_back("send " + text);
            };
            environment.addCmdDelegate = [this](int cmd, const std::shared_ptr<CommandHandler>& handler) {
                events_.push_back("listen " + std::to_string(cmd));
                map_.addCmdDelegate(cmd, handler);
            };
            environment.removeCmdDelegate = [this](const CommandHandler* handler) { map_.removeCmdDelegate(handler); };
            environment.addConnectionDelegate = [this](const std::shared_ptr<ConnectionListener>& listener) {
                listeners_.push_back(listener);
            };
            environment.removeConnectionDelegate = [](const ConnectionListener*) {};
            environment.webHost = "games.test";
            environment.gameCache = stores_.gameCache;
            environment.webCache = stores_.webCache;
            environment.gamesTab = [this] { return tab_; };
            environment.showInfo = [this](const std::string& message) { infos_.push_back(message); };
            return std::make_shared<ZLVGameDownloadView>(std::move(environment), std::move(owner));
        };
    }
    // Hands a packet to the command map as the network thread would, then lets the main thread run.
    bool deliver(const fnd::Value& packet) {
        const bool routed = map_.dispatch(packet);
        fnd::RunLoop::main().runUntilIdle();
        return routed;
    }
    std::vector<std::string> takeSent() { return std::exchange(sent_, {}); }
    const std::vector<std::string>& scripts() {
        return std::dynamic_pointer_cast<ui::RecordingScriptHost>(tab_->webView()->scriptHost())->evaluations();
    }
    bool barShown() {
        const auto run = store_->download();
        return run && run->progressView() && run->progressView()->superview() == tab_->view();
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    DownloadStores stores_;
    std::shared_ptr<ZAdvancedWebViewController> tab_;
    CommandMap map_;
    std::shared_ptr<ZLVGameVersion> store_;
    std::vector<std::string> sent_;
    std::vector<std::weak_ptr<ConnectionListener>> listeners_;
    std::vector<std::string> infos_;
    // Sends and registrations in the order they happened.
    std::vector<std::string> events_;
};

TEST_F(GameDownloadTest, ChangedFilesArriveInBatchesAndThePageHearsOfTheNewVersion) {
    ASSERT_TRUE(fnd::writeFile(stores_.gameCache->cacheFilePath("same.dat"), bytesOfSize(3)));
    ASSERT_TRUE(store_->startDownload(7, "en", "Poker 'Pro'"));
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"406 7 en -1"}));
    fnd::testing::LogCapture log;
    EXPECT_FALSE(store_->startDownload(8, "fr", "Other"));
    EXPECT_TRUE(log.contains("Won't start new download session, a session in processing..."));
    EXPECT_TRUE(takeSent().empty());

    ASSERT_TRUE(deliver(
        list({406, 7, "en", 4, list({"a.dat", 0, 20000, "same.dat", 0, 3, "b.dat", 0, 15000, "c.css", 1, 5000})})));
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"410 a.dat 0 b.dat 0"}));
    EXPECT_EQ(store_->download()->downloadSize(), 40000);
    store_->showDownloadView();
    EXPECT_TRUE(barShown());
    EXPECT_EQ(store_->download()->progressView()->frame().size.width, 320);

    deliver(list({410, "a.dat", 0, bytesOfSize(20000)}));
    EXPECT_DOUBLE_EQ(store_->download()->progressView()->progress(), 0.5);
    EXPECT_TRUE(takeSent().empty()); // the second batch waits for the whole first one
    deliver(list({410, "b.dat", 0, bytesOfSize(15000)}));
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"410 c.css 1"}));
    auto run = store_->download();
    deliver(list({410, "c.css", 1, bytesOfSize(5000)}));

    EXPECT_EQ(scripts(), (std::vector<std::string>{R"(gameDownloaded(7,"en","Poker \'Pro\'");)"}));
    EXPECT_FALSE(store_->hasDownloadView());
    EXPECT_TRUE(run->isClose());
    EXPECT_EQ(run->progressView()->superview(), nullptr);
    EXPECT_FALSE(deliver(list({410, "a.dat", 0, bytesOfSize(1)}))); // no longer registered
    EXPECT_EQ(fnd::readFile(stores_.gameCache->cacheFilePath("a.dat")), bytesOfSize(20000));
    EXPECT_EQ(stores_.webCache->fileSize("http://games.test/c.css"), 5000);
    EXPECT_EQ(fnd::readFile(stores_.gameCache->cacheFilePath("same.dat")), bytesOfSize(3));

    // The version is on disk: a store loaded afresh knows it, and nothing for another language.
    ZLVGameVersion reloaded;
    EXPECT_EQ(reloaded.getLocaleVersion(7, "en"), 4);
    EXPECT_EQ(reloaded.getLocaleVersion(7, "fr"), -1);

    // The next run asks with the local version and finishes at once when nothing differs.
    ASSERT_TRUE(store_->startDownload(7, "en", "Poker"));
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"406 7 en 4"}));
    deliver(list({406, 7, "en", 5, list({"a.dat", 0, 20000})}));
    EXPECT_TRUE(takeSent().empty());
    EXPECT_FALSE(store_->hasDownloadView());
    EXPECT_EQ(store_->getLocaleVersion(7, "en"), 5);
    EXPECT_EQ(scripts().back(), R"(gameDownloaded(7,"en","Poker");)");
}

TEST_F(GameDownloadTest, EmptyFilesShowAFullBar) {
    ASSERT_TRUE(store_->startDownload(3, "en", "Dice"));
    deliver(list({406, 3, "en", 1, list({"empty.dat", 0, 0})}));
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"406 3 en -1", "410 empty.dat 0"}));
    store_->showDownloadView();
    ASSERT_TRUE(barShown());
    EXPECT_DOUBLE_EQ(store_->download()->progressView()->progress(), 1.0);
    deliver(list({410, "empty.dat", 0, fnd::Bytes{}}));
    EXPECT_EQ(store_->getLocaleVersion(3, "en"), 1);
}

TEST_F(GameDownloadTest, ThousandsOfEmptyFilesGoInOneBatchAndTheirAnswersComeInAnyOrder) {
    ASSERT_TRUE(store_->startDownload(5, "en", "Cards"));
    // 1,000 names, each listed twice: both copies are asked for, and each answer takes one of them.
    auto files = fnd::Array::make();
    for (int i = 0; i < 2000; ++i) {
        files->addObject("f" + std::to_string(i % 1000) + ".dat");
        files->addObject(0);
        files->addObject(0);
    }
    fnd::testing::LogCapture log;
    deliver(list({406, 5, "en", 2, fnd::Value(files)}));
    const std::vector<std::string> sent = takeSent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].substr(0, 25), "410 f0.dat 0 f1.dat 0 f2.");
    for (int i = 1999; i >= 0; --i) {
        deliver(list({410, "f" + std::to_string(i % 1000) + ".dat", 0, fnd::Bytes{}}));
    }
    EXPECT_FALSE(log.contains("not found in pending request"));
    EXPECT_TRUE(takeSent().empty());
    EXPECT_EQ(scripts(), (std::vector<std::string>{R"(gameDownloaded(5,"en","Cards");)"}));
    EXPECT_EQ(store_->getLocaleVersion(5, "en"), 2);
}

TEST_F(GameDownloadTest, FailuresEndTheRunAndKeepTheOldVersion) {
    store_->setLocaleVersion(7, "en", 2);
    ASSERT_TRUE(store_->startDownload(7, "en", "Poker"));
    fnd::testing::LogCapture log;
    for (const fnd::Value& bad :
         {list({406, 7, "en"}), list({406, 7, "en", "4", list({})}), list({406, 7, "en", 4, list({"a", 0})}),
          list({406, 7, "en", 4, list({"a", 0, -1})}), list({406, 7, "en", 4, list({5, 0, 1})})}) {
        deliver(bad);
    }
    EXPECT_EQ(log.count("malformed"), 5u);
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"406 7 en 2"}));
    ASSERT_TRUE(store_->hasDownloadView());

    deliver(list({406, 7, "en", 3, list({"a.dat", 0, 10, "b.dat", 0, 10})}));
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"410 a.dat 0 b.dat 0"}));
    log.clear();
    deliver(list({410, "a.dat", 0}));
    deliver(list({410, "a.dat", "0", bytesOfSize(10)}));
    EXPECT_EQ(log.count("malformed file reply"), 2u);
    deliver(list({410, "a.dat", 0, nullptr}));
    EXPECT_TRUE(log.contains("Download http://games.test/iphone/getgameresource?path=a.dat failed"));
    deliver(list({410, "b.dat", 0, bytesOfSize(10)}));
    EXPECT_EQ(infos_, (std::vector<std::string>{"Download failed."}));
    EXPECT_FALSE(store_->hasDownloadView());
    EXPECT_EQ(store_->getLocaleVersion(7, "en"), 2);
    EXPECT_TRUE(scripts().empty());

    // A lost connection ends a waiting run as failed, with its bar gone.
    ASSERT_TRUE(store_->startDownload(7, "en", "Poker"));
    deliver(list({406, 7, "en", 3, list({"a.dat", 0, 10})}));
    store_->showDownloadView();
    auto run = store_->download();
    ASSERT_TRUE(barShown());
    for (const auto& listener : listeners_) {
        if (auto live = listener.lock()) {
            live->connectionLost();
        }
    }
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_FALSE(store_->hasDownloadView());
    EXPECT_EQ(run->progressView()->superview(), nullptr);
    EXPECT_EQ(infos_.size(), 2u);
    EXPECT_EQ(store_->getLocaleVersion(7, "en"), 2);
    EXPECT_TRUE(store_->startDownload(7, "en", "Poker"));
}

TEST_F(GameDownloadTest, FilesOverTheirAnnouncedSizeOrOverTheRunsBytesFailIt) {
    const int64_t budget = ZLVGameDownloadView::kMaxDownloadBytes;
    fnd::testing::LogCapture log;
    ASSERT_TRUE(store_->startDownload(7, "en", "Poker"));
    deliver(list({406, 7, "en", 2, list({"a.dat", 0, budget / 2, "b.dat", 0, budget / 2 + 1})}));
    EXPECT_TRUE(log.contains("the list announces 67108865 bytes"));
    EXPECT_FALSE(store_->hasDownloadView());

    // Files nobody asked for are kept, but count: the one that would pass the run's bytes ends it.
    ASSERT_TRUE(store_->startDownload(7, "en", "Poker"));
    deliver(list({406, 7, "en", 2, list({"a.dat", 0, 10})}));
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"406 7 en -1", "406 7 en -1", "410 a.dat 0"}));
    const fnd::Bytes third(static_cast<size_t>(budget / 3 + 1), 1);
    for (const char* name : {"x.css", "y.css", "z.css"}) {
        deliver(list({410, name, 1, third}));
    }
    EXPECT_TRUE(log.contains("the server sent more than the 67108864 bytes a download may bring"));
    EXPECT_FALSE(store_->hasDownloadView());
    EXPECT_EQ(stores_.webCache->fileSize("http://games.test/y.css"), budget / 3 + 1);
    EXPECT_EQ(stores_.webCache->fileSize("http://games.test/z.css"), -1);

    ASSERT_TRUE(store_->startDownload(7, "en", "Poker"));
    deliver(list({406, 7, "en", 2, list({"a.dat", 0, 10})}));
    deliver(list({410, "a.dat", 0, bytesOfSize(11)}));
    EXPECT_TRUE(log.contains("brings 11 bytes, more than the 10 announced; refused"));
    EXPECT_EQ(ZelvanGameCache::fileSize(stores_.gameCache->cacheFilePath("a.dat")), -1);
    EXPECT_EQ(store_->getLocaleVersion(7, "en"), -1);
    EXPECT_EQ(infos_, (std::vector<std::string>(3, "Download failed.")));
}

} // namespace
} // namespace zelvan
