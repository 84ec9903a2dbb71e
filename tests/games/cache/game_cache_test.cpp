// The game resource cache over a temporary root and bundle: key names and the natives' path rule,
// batches of command 76 with one in flight, replies of command 23 stored atomically, "face" keys
// re-confirmed after a sweep under the manual clock, malformed replies, clearing, the folder's byte
// budget, and requests and replies from two threads.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "games/cache/zelvan_game_cache.h"
#include "games/cache/zlv_game_version.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/array.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/digest_helpers.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/testing/log_capture.h"

namespace zelvan {
namespace {

namespace fs = std::filesystem;

fnd::Bytes bytesOf(const std::string& text) {
    return fnd::Bytes(text.begin(), text.end());
}

class GameCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        ASSERT_TRUE(fnd::AppFolders::setUp());
        bundle_ = fnd::AppFolders::root() + "/bundle";
        fs::create_directories(bundle_ + "/cards");
        ASSERT_TRUE(fnd::writeFile(bundle_ + "/cards/back.png", bytesOf("bundled back")));
        cache_ = makeCache();
        ASSERT_TRUE(cache_->initCache());
    }
    void TearDown() override { fnd::Clock::install(nullptr); }

    std::shared_ptr<ZelvanGameCache> makeCache() {
        GameCacheEnvironment environment{ZelvanGameCache::defaultCachePath(), bundle_, [this](const ZelvanPacket& p) {
                                             std::lock_guard lock(mutex_);
                                             sent_.push_back(p.array());
                                         }};
        return std::make_shared<ZelvanGameCache>(std::move(environment), std::make_shared<ZLVGameVersion>());
    }
    // The sent packets as text, "76 a -1 b -1", and forgets them.
    std::vector<std::string> takeSent() {
        std::lock_guard lock(mutex_);
        std::vector<std::string> out;
        for (const auto& packet : sent_) {
            std::string text;
            for (const auto& item : *packet.asArray()) {
                text += (text.empty() ? "" : " ") + item.stringValue();
            }
            out.push_back(text);
        }
        sent_.clear();
        return out;
    }
    void reply(const std::string& key) { cache_->handleServerResponse(fnd::Value::array({23, key})); }
    void reply(const std::string& key, const std::string& data) {
        cache_->handleServerResponse(fnd::Value::array({23, key, bytesOf(data)}));
    }
    void putCacheFile(const std::string& key, const std::string& data) {
        ASSERT_TRUE(fnd::writeFile(cache_->cacheFilePath(ZelvanGameCache::resourceFileName(key)), bytesOf(data)));
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::string bundle_;
    std::shared_ptr<ZelvanGameCache> cache_;
    std::mutex mutex_;
    std::vector<fnd::Value> sent_;
};

TEST_F(GameCacheTest, KeysNameFilesOnlyInsideTheCacheAndTheBundle) {
    EXPECT_EQ(ZelvanGameCache::resourceFileName("a/../b/./c"), "a/b/c");
    EXPECT_EQ(ZelvanGameCache::resourceFileName("plain.png"), "plain.png");
    EXPECT_EQ(cache_->cacheFilePath("a/b/c"), ZelvanGameCache::defaultCachePath() + newMD5String("a/b/c"));
    putCacheFile("a/b/c", "abc");
    EXPECT_EQ(cache_->fileFullPath("a/../b/./c"), cache_->cacheFilePath("a/b/c"));
    EXPECT_EQ(cache_->newDataWithFilename("cards/back.png"), bytesOf("bundled back"));

    // "." and ".." name the bundle folder or its parent, which are no files; links out of the bundle
    // and climbs out of it are refused.
    fs::create_symlink(fnd::AppFolders::root(), bundle_ + "/up");
    const std::string outside = fnd::AppFolders::root() + "/secret.txt";
    ASSERT_TRUE(fnd::writeFile(outside, bytesOf("secret")));
    cache_->requestDataWithKeys({".", "..", "../secret.txt", "up/secret.txt", "cards/back.png"});
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"76 . -1 .. -1 ../secret.txt -1 up/secret.txt -1"}));
    EXPECT_EQ(cache_->newDataWithKey("cards/back.png"), fs::canonical(bundle_ + "/cards/back.png").string());
    EXPECT_EQ(cache_->newDataWithKey("cards/back.png"), std::nullopt);
    EXPECT_EQ(ZelvanGameCache::fileSize(bundle_ + "/cards"), -1);

    // The natives' rule: regular files inside the cache or the bundle, links and ".." resolved.
    const std::string album = fnd::AppFolders::root() + "/Photos";
    fs::create_directories(album);
    ASSERT_TRUE(fnd::writeFile(album + "/shot.png", bytesOf("png")));
    fs::create_symlink(cache_->cacheFilePath("a/b/c"), bundle_ + "/cached-link");
    EXPECT_EQ(cache_->gameFilePath(bundle_ + "/cards/../cards/back.png"),
              fs::canonical(bundle_ + "/cards/back.png").string());
    EXPECT_EQ(cache_->gameFilePath(bundle_ + "/cached-link"), fs::canonical(cache_->cacheFilePath("a/b/c")).string());
    EXPECT_EQ(cache_->gameFilePath(album + "/shot.png"), std::nullopt);
    EXPECT_EQ(cache_->gameFilePath(bundle_ + "/../secret.txt"), std::nullopt);
    EXPECT_EQ(cache_->gameFilePath(bundle_ + "/up/secret.txt"), std::nullopt);
    EXPECT_EQ(cache_->gameFilePath(bundle_ + "/cards"), std::nullopt);
    EXPECT_EQ(cache_->gameFilePath(cache_->cachePath()), std::nullopt);
}

TEST_F(GameCacheTest, BatchesOfFiveLeaveOneAtATime) {
    cache_->requestDataWithKeys({"k1", "k2", "k3", "k4", "k5", "k6", "k7"});
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"76 k1 -1 k2 -1 k3 -1 k4 -1 k5 -1"}));
    EXPECT_EQ(cache_->waitingKeys(), (std::vector<std::string>{"k6", "k7"}));

    // While waiting a key moves to the front; while pending nothing changes.
    cache_->requestDataWithKeys({"k7", "k2"});
    EXPECT_EQ(cache_->waitingKeys(), (std::vector<std::string>{"k7", "k6"}));
    EXPECT_EQ(cache_->pendingKeys(), (std::vector<std::string>{"k1", "k2", "k3", "k4", "k5"}));
    EXPECT_TRUE(takeSent().empty());

    for (const char* key : {"k1", "k2", "k3", "k4"}) {
        reply(key, std::string("data of ") + key);
    }
    EXPECT_TRUE(takeSent().empty());
    reply("k5", "data of k5");
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"76 k7 -1 k6 -1"}));
    EXPECT_EQ(cache_->newDataWithKey("k3"), cache_->cacheFilePath("k3"));
    EXPECT_EQ(fnd::readFile(cache_->cacheFilePath("k3")), bytesOf("data of k3"));

    // A reply for a key that is not pending is logged and still stored.
    fnd::testing::LogCapture log;
    reply("stray", "pushed");
    EXPECT_TRUE(log.contains("not found in pending stray"));
    EXPECT_EQ(cache_->newDataWithKey("stray"), cache_->cacheFilePath("stray"));
    EXPECT_TRUE(cache_->invariantsHold());

    cache_->clearRequest();
    EXPECT_TRUE(cache_->pendingKeys().empty());
    EXPECT_TRUE(cache_->readyKeys().empty());
}

TEST_F(GameCacheTest, FaceKeysAreConfirmedAgainOnceTheSweepDropsThem) {
    putCacheFile("face/7.png", "seven");
    cache_->requestDataWithKeys({"face/7.png"});
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"76 face/7.png 5"}));
    reply("face/7.png");
    EXPECT_EQ(cache_->newDataWithKey("face/7.png"), cache_->cacheFilePath("face/7.png"));

    clock_->advance(61);
    cache_->expireRequested(); // a sweep, but the confirmation is only 61 s old
    cache_->requestDataWithKeys({"face/7.png"});
    EXPECT_TRUE(takeSent().empty());
    EXPECT_TRUE(cache_->newDataWithKey("face/7.png"));

    clock_->advance(550);
    cache_->expireRequested();
    cache_->requestDataWithKeys({"face/7.png"});
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"76 face/7.png 5"}));
}

TEST_F(GameCacheTest, RepliesAreStoredAtomicallyAndBadOnesChangeNothing) {
    // A write killed half way left a temporary file; the next start removes it.
    const std::string leftover = cache_->cachePath() + "." + newMD5String("x") + ".tmp-a1B2c3";
    ASSERT_TRUE(fnd::writeFile(leftover, bytesOf("half")));
    ASSERT_TRUE(cache_->initCache());
    EXPECT_FALSE(fs::exists(leftover));

    // A data-less reply for a key without a local file asks once more, then gives up until the game
    // asks again.
    cache_->requestDataWithKeys({"gone.png"});
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"76 gone.png -1"}));
    reply("gone.png");
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"76 gone.png -1"}));
    reply("gone.png");
    EXPECT_TRUE(takeSent().empty());
    EXPECT_EQ(cache_->newDataWithKey("gone.png"), std::nullopt);
    cache_->requestDataWithKeys({"gone.png"});
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"76 gone.png -1"}));

    fnd::testing::LogCapture log;
    for (const fnd::Value& bad :
         {fnd::Value::array({23}), fnd::Value::array({23, 5}), fnd::Value::array({23, "gone.png", 7}),
          fnd::Value::array({23, "gone.png", bytesOf("x"), 1}), fnd::Value("23")}) {
        cache_->handleServerResponse(bad);
    }
    EXPECT_EQ(log.count("malformed reply"), 4u);
    EXPECT_EQ(cache_->pendingKeys(), (std::vector<std::string>{"gone.png"}));
    EXPECT_FALSE(fs::exists(cache_->cacheFilePath("gone.png")));

    reply("gone.png", "found");
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(cache_->cachePath())) {
        files.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(files, (std::vector<std::string>{newMD5String("gone.png")})); // no temporary file beside it

    cache_->getVersion()->setLocaleVersion(7, "en", 3);
    cache_->clearCache();
    EXPECT_TRUE(fs::is_directory(cache_->cachePath()));
    EXPECT_TRUE(fs::is_empty(cache_->cachePath()));
    EXPECT_EQ(cache_->getVersion()->getLocaleVersion(7, "en"), -1);
}

TEST_F(GameCacheTest, UnaskedRepliesStayWithinTheBudgetAndNeverPushOutWhatAGameAskedFor) {
    const uint64_t budget = ZelvanGameCache::kMaxCacheBytes;
    const fnd::Bytes third(budget / 3 + 1, 7); // two fit, three do not
    auto folderBytes = [&] {
        uint64_t total = 0;
        for (const auto& entry : fs::directory_iterator(cache_->cachePath())) {
            total += entry.file_size();
        }
        return total;
    };
    cache_->requestDataWithKeys({"asked.dat"});
    takeSent();
    cache_->handleServerResponse(fnd::Value::array({23, "asked.dat", third}));
    for (const char* key : {"pushed1", "pushed2"}) {
        cache_->handleServerResponse(fnd::Value::array({23, key, third}));
    }
    EXPECT_FALSE(fs::exists(cache_->cacheFilePath("pushed1")));
    EXPECT_EQ(cache_->readyKeys(), (std::vector<std::string>{"asked.dat", "pushed2"}));
    EXPECT_LE(folderBytes(), budget);

    // More than the whole budget is refused and removes nothing; an unasked reply without data asks nothing.
    fnd::testing::LogCapture log;
    cache_->handleServerResponse(fnd::Value::array({23, "huge", fnd::Bytes(budget + 1, 1)}));
    reply("pushed-empty");
    EXPECT_TRUE(log.contains("game cache: no room for huge"));
    EXPECT_TRUE(takeSent().empty());
    EXPECT_EQ(cache_->readyKeys(), (std::vector<std::string>{"asked.dat", "pushed2"}));

    // Once collected, the asked file is the least recently used: a download's file takes its room.
    EXPECT_TRUE(cache_->newDataWithKey("asked.dat"));
    EXPECT_TRUE(cache_->storeFile("download.dat", third));
    EXPECT_FALSE(fs::exists(cache_->cacheFilePath("asked.dat")));
    EXPECT_TRUE(fs::exists(cache_->cacheFilePath("pushed2")));
    EXPECT_LE(folderBytes(), budget);
}

TEST_F(GameCacheTest, RequestsAndRepliesFromTwoThreadsKeepTheBookkeeping) {
    std::atomic<bool> done{false};
    std::atomic<bool> broken{false};
    std::thread game([&] {
        for (int round = 0; round < 300; ++round) {
            cache_->requestDataWithKeys({"key" + std::to_string(round % 37), "face" + std::to_string(round % 11)});
            cache_->newDataWithKey("key" + std::to_string(round % 37));
            if (!cache_->invariantsHold()) {
                broken = true;
            }
        }
        done = true;
    });
    std::thread network([&] {
        while (!done || !cache_->pendingKeys().empty()) {
            for (const std::string& key : cache_->pendingKeys()) {
                reply(key, "bytes of " + key);
            }
            if (!cache_->invariantsHold()) {
                broken = true;
            }
        }
    });
    game.join();
    network.join();
    EXPECT_FALSE(broken);
    EXPECT_TRUE(cache_->waitingKeys().empty());
    EXPECT_EQ(fnd::readFile(cache_->cacheFilePath("key5")), bytesOf("bytes of key5"));
}

} // namespace
} // namespace zelvan
