// The avatar manager: its request queue under the manual clock, answers written to the cache folder
// within its byte budget, the folder scan, the getters' version rules, the pictures' size limit and its
// listeners.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "messaging/avatars/zelvan_avatar_manager.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "toolkit/zelvan_widget.h"

namespace zelvan {
namespace {

// PNG bytes of a 4 x 4 picture of one opaque colour.
fnd::Bytes pngOfColour(uint8_t r, uint8_t g, uint8_t b) {
    fnd::Bytes pixels;
    for (int i = 0; i < 16; ++i) {
        pixels.insert(pixels.end(), {b, g, r, 0xff});
    }
    return gfx::pngRepresentation(*gfx::Image::fromPixels(4, 4, std::move(pixels)));
}

class RecordingListener : public AvatarUpdateDelegate {
public:
    void avatarUpdated(int32_t userId, int32_t type, int32_t version) override {
        heard.push_back({userId, type, version});
        if (throws) {
            throw std::runtime_error("listener failed");
        }
    }
    std::vector<std::vector<int32_t>> heard;
    bool throws = false;
};

class AvatarManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        ASSERT_TRUE(fnd::AppFolders::setUp());
        folder_ = ZelvanAvatarManager::defaultCachePath();
    }
    void TearDown() override {
        manager_.reset();
        fnd::RunLoop::main().runUntilIdle();
        fnd::Clock::install(nullptr);
    }

    std::shared_ptr<ZelvanAvatarManager> start() {
        manager_ = std::make_shared<ZelvanAvatarManager>(folder_, [this](const fnd::Value& packet) {
            std::string text;
            for (size_t i = 0; i < packet.asArray()->count(); ++i) {
                text += (i ? "," : "") + packet.asArray()->objectAtIndex(i).stringValue();
            }
            sent_.push_back(text);
        });
        EXPECT_TRUE(manager_->initCache());
        return manager_;
    }
    // Delivers a packet as the network thread does and lets the main loop handle it.
    void deliver(fnd::Value packet) {
        manager_->handleServerResponse(packet);
        fnd::RunLoop::main().runUntilIdle();
    }
    std::vector<std::string> takeSent() { return std::exchange(sent_, {}); }
    void tick() { fnd::RunLoop::main().advance(ZelvanAvatarManager::kTimerInterval); }
    static void touch(const std::string& path, const fnd::Bytes& bytes = {1}) {
        ASSERT_TRUE(fnd::writeFile(path, bytes));
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::string folder_;
    std::shared_ptr<ZelvanAvatarManager> manager_;
    std::vector<std::string> sent_;
};

TEST_F(AvatarManagerTest, QueueSendsNewestFirstTwoAtATimeAndAsksAgainForLostAnswers) {
    auto manager = start();
    for (int32_t user = 1; user <= 10; ++user) {
        EXPECT_NE(manager->newImageAvatarHead(user), nullptr);
    }
    EXPECT_TRUE(takeSent().empty()); // nothing goes out before the timer's tick
    tick();
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"71,10,2,-1", "71,9,2,-1"}));
    tick();
    EXPECT_TRUE(takeSent().empty());

    // Asking again for a pending user sends nothing; a waiting one moves to the front of the line.
    manager->newImageAvatarHead(9);
    manager->newImageAvatarHead(3);
    deliver(fnd::Value::array({17, 10, 2, 0, fnd::Value()}));
    tick();
    EXPECT_EQ(takeSent(), std::vector<std::string>{"71,3,2,-1"});

    // A dropped connection loses the answers: the pending questions are asked again.
    manager->connectionLost();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(manager->pendingRequests().empty());
    tick();
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"71,8,2,-1", "71,7,2,-1"}));

    // An answer that never comes gives its slot back after 30 seconds.
    fnd::RunLoop::main().advance(ZelvanAvatarManager::kPendingTimeout - 2);
    EXPECT_TRUE(takeSent().empty());
    fnd::RunLoop::main().advance(2);
    EXPECT_EQ(takeSent(), (std::vector<std::string>{"71,6,2,-1", "71,5,2,-1"}));
    EXPECT_EQ(manager->pendingRequests(),
              (std::vector<std::string>{"AvatarRequest[6, 2, -1]", "AvatarRequest[5, 2, -1]"}));
}

TEST_F(AvatarManagerTest, PictureAnswerReplacesFilesDropsCachesAndTellsListeners) {
    ASSERT_TRUE(fnd::FileManager::createDirectoryAtPath(folder_));
    touch(folder_ + "12_2_3", pngOfColour(0, 0, 255));
    touch(folder_ + "12_2_3_gray");
    auto manager = start();
    auto first = std::make_shared<RecordingListener>();
    auto second = std::make_shared<RecordingListener>();
    manager->addDelegate(first);
    manager->addDelegate(second);
    ASSERT_NE(manager->newImageAvatarHead(12, false), nullptr);
    ASSERT_NE(manager->newImageAvatarHead(12, true), nullptr);
    tick();
    EXPECT_EQ(takeSent(), std::vector<std::string>{"71,12,2,3"});

    const fnd::Bytes red = pngOfColour(255, 0, 0);
    deliver(fnd::Value::array({17, 12, 2, 7, fnd::Value(red)}));
    EXPECT_EQ(fnd::readFile(folder_ + "12_2_7"), red);
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(folder_ + "12_2_3"));
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(folder_ + "12_2_3_gray"));
    EXPECT_EQ(first->heard, (std::vector<std::vector<int32_t>>{{12, 2, 7}}));
    EXPECT_EQ(second->heard, first->heard);
    EXPECT_TRUE(manager->pendingRequests().empty());
    // Both head caches let go of the old picture.
    EXPECT_EQ(manager->newImageAvatarHead(12, false)->pixelAt(0, 0), (gfx::Rgba8{255, 0, 0, 255}));
    const gfx::Rgba8 grey = manager->newImageAvatarHead(12, true)->pixelAt(0, 0);
    EXPECT_TRUE(grey.r == grey.g && grey.g == grey.b && grey.r > 0 && grey.r < 255);

    // The same version sent again replaces the picture and its grey file made meanwhile.
    const auto greyPath = manager->findAvatarPath(12, 2, true);
    ASSERT_TRUE(greyPath);
    ASSERT_TRUE(fnd::FileManager::fileExistsAtPath(*greyPath));
    deliver(fnd::Value::array({17, 12, 2, 7, fnd::Value(pngOfColour(255, 255, 255))}));
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(*greyPath));
    EXPECT_EQ(fnd::readFile(folder_ + "12_2_7"), pngOfColour(255, 255, 255));

    fnd::testing::LogCapture log;
    first->heard.clear();
    deliver(fnd::Value::array({17, 12, 1, -1, fnd::Value()})); // no picture available
    deliver(fnd::Value::array({17, 12, 3, 0, fnd::Value()}));  // the user has none: told
    deliver(fnd::Value::array({17, 12, 4, 5, fnd::Value()}));  // version without data: not told
    EXPECT_EQ(first->heard, (std::vector<std::vector<int32_t>>{{12, 3, 0}}));
    EXPECT_EQ(manager->localAvatarVersion(12, 1), -1);
    EXPECT_EQ(manager->localAvatarVersion(12, 4), 5);
    EXPECT_EQ(log.count("can't find the pending request 12,"), 3u);

    // 24 with the version held does nothing; another version is asked for with the local one.
    deliver(fnd::Value::array({24, 12, 2, 7}));
    EXPECT_TRUE(manager->waitingRequests().empty());
    deliver(fnd::Value::array({24, 12, 2, 8}));
    EXPECT_EQ(manager->waitingRequests(), std::vector<std::string>{"AvatarRequest[12, 2, 7]"});

    // Elements of the wrong kind or a type outside 1-4 end with a warning and change nothing.
    log.clear();
    deliver(fnd::Value::array({17, "12", 2, 9, fnd::Value(red)}));
    deliver(fnd::Value::array({17, 12, 5, 9, fnd::Value(red)}));
    deliver(fnd::Value::array({17, 12, 2, 9, "bytes"}));
    deliver(fnd::Value::array({24, 12}));
    deliver(fnd::Value("17"));
    EXPECT_EQ(log.count("WARN"), 5u);
    EXPECT_EQ(manager->localAvatarVersion(12, 2), 7);
}

TEST_F(AvatarManagerTest, PicturesStayWithinTheBudgetAndARemovedOneIsAskedForAgain) {
    auto manager = start();
    const uint64_t budget = ZelvanAvatarManager::kMaxCacheBytes;
    const fnd::Value third(fnd::Bytes(budget / 3 + 1, 9)); // two fit, three do not
    for (int32_t user : {1, 2, 3}) {
        deliver(fnd::Value::array({17, user, 3, 1, third}));
    }
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(folder_ + "1_3_1"));
    EXPECT_TRUE(fnd::FileManager::fileExistsAtPath(folder_ + "2_3_1"));
    manager->newImageAvatarFull(1);
    EXPECT_EQ(manager->waitingRequests(), std::vector<std::string>{"AvatarRequest[1, 3, -1]"});

    fnd::testing::LogCapture log;
    deliver(fnd::Value::array({17, 4, 3, 1, fnd::Value(fnd::Bytes(budget + 1, 9))}));
    EXPECT_TRUE(log.contains("no room for 4_3_1"));
    EXPECT_TRUE(fnd::FileManager::fileExistsAtPath(folder_ + "2_3_1"));
    EXPECT_TRUE(fnd::FileManager::fileExistsAtPath(folder_ + "3_3_1"));
}

TEST_F(AvatarManagerTest, ScanKeepsWellFormedNamesOnly) {
    ASSERT_TRUE(fnd::FileManager::createDirectoryAtPath(folder_));
    for (const char* name : {"12_2_3", "12_2_3_gray", "nounderscore", "0_2_3", "99999999999_2_1", "a_b_c", "13_2_x",
                             "14_1_ 2", "-4_2_1"}) {
        touch(folder_ + name);
    }
    auto manager = start();
    EXPECT_EQ(manager->localAvatarVersion(12, 2), 3);
    for (int32_t user : {0, 13, 14, -4}) {
        for (int32_t type = 1; type <= 4; ++type) {
            EXPECT_EQ(manager->localAvatarVersion(user, type), -1) << user << " " << type;
        }
    }
    // A folder that cannot be made: no cache and no timer.
    touch(fnd::AppFolders::appDocuments() + "/blocked");
    ZelvanAvatarManager blocked(fnd::AppFolders::appDocuments() + "/blocked/avatar_cache",
                                [this](const fnd::Value&) { sent_.push_back("blocked"); });
    EXPECT_FALSE(blocked.initCache());
    blocked.addAvatarRequest(1, 2, -1);
    tick();
    EXPECT_EQ(takeSent(), std::vector<std::string>{});
}

TEST_F(AvatarManagerTest, GettersFollowTheVersionRules) {
    auto manager = start();
    const auto bundle = [](const char* name) { return ZelvanWidget::imageFromResource(name, true); };
    EXPECT_EQ(manager->newImageAvatarHead(0), nullptr);
    // Unknown users: the "unknown" pictures, and a question per kind.
    EXPECT_EQ(manager->newImageAvatarHead(5), bundle("avatar_unknown"));
    EXPECT_EQ(manager->newImageAvatarHead(5, true), bundle("avatar_unknown_gray"));
    EXPECT_EQ(manager->newImageHomePicure(5), bundle("avatar_homepic_unknown"));
    EXPECT_EQ(manager->newImageAvatarFull(5), bundle("avatar_full_unknown"));
    EXPECT_EQ(manager->newImageAvatarChatGroup(5), bundle("chatgroup-default-1"));
    EXPECT_EQ(manager->findAvatarPath(5, 2, true), ZelvanWidget::bundleResourcePath("avatar_unknown_gray.png"));
    EXPECT_EQ(manager->findAvatarPath(5, 3, false), std::nullopt);
    EXPECT_EQ(manager->waitingRequests(),
              (std::vector<std::string>{"AvatarRequest[5, 1, -1]", "AvatarRequest[5, 3, -1]", "AvatarRequest[5, 4, -1]",
                                        "AvatarRequest[5, 2, -1]"}));

    // Version 0: the user has none of that kind.
    for (int32_t type = 1; type <= 4; ++type) {
        manager->updateAvatarInfo(6, type, 0);
    }
    EXPECT_EQ(manager->newImageHomePicure(6), nullptr);
    EXPECT_EQ(manager->newImageAvatarHead(6), bundle("avatar_default"));
    EXPECT_EQ(manager->newImageAvatarHead(6, true), bundle("avatar_default_gray"));
    EXPECT_EQ(manager->newImageAvatarFull(6), bundle("avatar_full_default"));
    EXPECT_EQ(manager->newImageAvatarChatGroup(6), bundle("chatgroup-default-1"));
    EXPECT_EQ(manager->findAvatarPath(6, 2, false), ZelvanWidget::bundleResourcePath("avatar_default.png"));
    EXPECT_EQ(manager->findAvatarPath(6, 1, false), std::nullopt);

    // A stored version: the file's picture; the grey PNG is written once, on demand.
    touch(folder_ + "7_4_2", pngOfColour(0, 255, 0));
    touch(folder_ + "8_2_1", pngOfColour(0, 255, 0));
    manager->updateAvatarInfo(7, 4, 2);
    manager->updateAvatarInfo(8, 2, 1);
    EXPECT_EQ(manager->newImageAvatarChatGroup(7)->pixelAt(1, 1), (gfx::Rgba8{0, 255, 0, 255}));
    EXPECT_EQ(manager->findAvatarPath(8, 2, false), folder_ + "8_2_1");
    EXPECT_EQ(manager->findAvatarPath(8, 2, true), folder_ + "8_2_1_gray");
    const auto greyImage = gfx::Image::imageWithContentsOfFile(folder_ + "8_2_1_gray");
    ASSERT_NE(greyImage, nullptr);
    const gfx::Rgba8 grey = greyImage->pixelAt(0, 0);
    EXPECT_TRUE(grey.r == grey.g && grey.g == grey.b);
    touch(folder_ + "8_2_1_gray", {9});
    manager->findAvatarPath(8, 2, true);
    EXPECT_EQ(fnd::readFile(folder_ + "8_2_1_gray"), fnd::Bytes{9});
    // The grey head is made once and then held.
    EXPECT_EQ(manager->newImageAvatarHead(8, true), manager->newImageAvatarHead(8, true));
    // A damaged file gives the unknown picture and a new question.
    touch(folder_ + "9_2_1", {1, 2, 3});
    manager->updateAvatarInfo(9, 2, 1);
    EXPECT_EQ(manager->newImageAvatarHead(9), bundle("avatar_unknown"));
}

TEST_F(AvatarManagerTest, PicturesOverTheLimitAreRefusedBeforeAnyConversion) {
    auto manager = start();
    const auto png = [](int width, int height) {
        fnd::Bytes pixels(static_cast<size_t>(width) * height * 4, 0xff);
        return gfx::pngRepresentation(*gfx::Image::fromPixels(width, height, std::move(pixels)));
    };
    const int side = static_cast<int>(ZelvanAvatarManager::kPictureLimit.maxWidth);
    touch(folder_ + "3_2_1", png(side + 1, 8));
    touch(folder_ + "4_2_1", png(side, 8));
    manager->updateAvatarInfo(3, 2, 1);
    manager->updateAvatarInfo(4, 2, 1);

    // One warning per look, no grey file, the unknown head shown, and the received file kept.
    fnd::testing::LogCapture log;
    EXPECT_EQ(manager->findAvatarPath(3, 2, true), folder_ + "3_2_1_gray");
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(folder_ + "3_2_1_gray"));
    EXPECT_EQ(manager->newImageAvatarHead(3, true), ZelvanWidget::imageFromResource("avatar_unknown_gray", true));
    EXPECT_EQ(log.count("refusing a 1025 x 8 image"), 2u);
    EXPECT_EQ(log.count("WARN"), 2u);
    EXPECT_TRUE(fnd::FileManager::fileExistsAtPath(folder_ + "3_2_1"));

    // A picture at the limit is turned grey as before.
    EXPECT_EQ(manager->findAvatarPath(4, 2, true), folder_ + "4_2_1_gray");
    EXPECT_TRUE(fnd::FileManager::fileExistsAtPath(folder_ + "4_2_1_gray"));
    EXPECT_EQ(log.count("WARN"), 2u);
}

TEST_F(AvatarManagerTest, ListenersFailAloneAndGoneOnesAreSkipped) {
    auto manager = start();
    auto thrower = std::make_shared<RecordingListener>();
    thrower->throws = true;
    auto gone = std::make_shared<RecordingListener>();
    auto last = std::make_shared<RecordingListener>();
    fnd::testing::LogCapture log;
    manager->addDelegate(thrower);
    manager->addDelegate(gone);
    manager->addDelegate(last);
    manager->addDelegate(last);
    EXPECT_EQ(log.count("duplicate delegate"), 1u);
    gone.reset();
    manager->fireAvatarUpdatedEvent(3, 2, 1);
    EXPECT_EQ(thrower->heard.size(), 1u);
    EXPECT_EQ(last->heard, (std::vector<std::vector<int32_t>>{{3, 2, 1}}));
    EXPECT_EQ(log.count("fireAvatarUpdatedEvent"), 1u);
    manager->removeDelegate(last);
    manager->fireAvatarUpdatedEvent(3, 2, 2);
    EXPECT_EQ(last->heard.size(), 1u);
}

} // namespace
} // namespace zelvan
