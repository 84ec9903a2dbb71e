// The offer wall's reachability monitor on a fake provider (the status rules, the flags line, the change
// notification with and without the product's monitor), its icon cache and its budget, and its rounded
// icons.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <thread>
#include <vector>

#include "core/app_registry.h"
#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/bp_image_manipulator.h"
#include "offers/brightpoint/bp_reachability.h"
#include "offers/brightpoint/brightpoint_context.h"
#include "platform/foundation/log.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/log_capture.h"
#include "reachability/reachability.h"
#include "tests/support/scoped_app_delegate.h"

namespace zelvan::brightpoint {
namespace {

using namespace fnd::ReachabilityFlag;
constexpr uint32_t kLinkLocal = 0xA9FE0000;

class DebugLog {
public:
    DebugLog() : before_(fnd::minLogLevel()) { fnd::setMinLogLevel(fnd::LogLevel::Debug); }
    ~DebugLog() { fnd::setMinLogLevel(before_); }

private:
    fnd::LogLevel before_;
};

TEST(BPReachabilityTest, StatusRulesAndTheFlagsLine) {
    auto fake = fnd::testing::FakeReachability::install();
    auto internet = BPReachability::reachabilityForInternetConnection();
    ASSERT_TRUE(internet);
    EXPECT_FALSE(internet->localWiFiRef());
    EXPECT_EQ(internet->BPNetworkStatusForFlags(Reachable | ConnectionRequired | ConnectionOnTraffic), 1);
    EXPECT_EQ(
        internet->BPNetworkStatusForFlags(Reachable | ConnectionRequired | ConnectionOnTraffic | InterventionRequired),
        0);
    EXPECT_EQ(internet->BPNetworkStatusForFlags(Reachable | IsWWAN), 2);
    EXPECT_EQ(internet->BPNetworkStatusForFlags(Reachable | ConnectionRequired), 0);
    EXPECT_EQ(internet->BPNetworkStatusForFlags(IsWWAN), 0);

    fake->setFlagsForAddress(0, Reachable | ConnectionRequired);
    EXPECT_EQ(internet->currentReachabilityStatus(), 0);
    EXPECT_TRUE(internet->connectionRequired());
    fake->setUnavailable(true);
    EXPECT_EQ(internet->currentReachabilityStatus(), 0);
    EXPECT_FALSE(internet->connectionRequired());
    fake->setUnavailable(false);

    auto wifi = BPReachability::reachabilityForLocalWiFi();
    ASSERT_TRUE(wifi);
    EXPECT_TRUE(wifi->localWiFiRef());
    fake->setFlagsForAddress(kLinkLocal, Reachable | IsDirect);
    EXPECT_EQ(wifi->currentReachabilityStatus(), 1);
    fake->setFlagsForAddress(kLinkLocal, Reachable);
    EXPECT_EQ(wifi->currentReachabilityStatus(), 0);

    auto host = BPReachability::reachabilityWithHostName("wall.test");
    ASSERT_TRUE(host);
    fake->setFlagsForName("wall.test", Reachable | IsWWAN | TransientConnection);
    EXPECT_EQ(host->currentReachabilityStatus(), 2);
    EXPECT_FALSE(BPReachability::reachabilityWithHostName(""));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(0x0A000001);
    fake->setFlagsForAddress(0x0A000001, Reachable);
    EXPECT_EQ(BPReachability::reachabilityWithAddress(address)->currentReachabilityStatus(), 1);

    DebugLog debug;
    fnd::testing::LogCapture capture;
    host->currentReachabilityStatus();
    wifi->localWiFiStatusForFlags(Reachable | IsDirect | IsLocalAddress | ConnectionOnDemand);
    EXPECT_TRUE(capture.contains("Reachability Flag Status: WR t------ networkStatusForFlags"));
    EXPECT_TRUE(capture.contains("Reachability Flag Status: -R ----Dld localWiFiStatusForFlags"));
}

// Counts the change notifications naming `monitor`, and the thread they came on.
struct Listener {
    explicit Listener(const std::shared_ptr<BPReachability>& monitor)
        : token(fnd::NotificationCenter::defaultCenter().addObserver(
              std::string(kBPNetworkReachabilityChangedNotification), fnd::Value(monitor),
              [this, monitor = std::weak_ptr<BPReachability>(monitor)](const fnd::Notification& note) {
                  ++count;
                  sameObject = note.object.asObject<BPReachability>() == monitor.lock();
                  thread = std::this_thread::get_id();
              })) {}
    int count = 0;
    bool sameObject = false;
    std::thread::id thread;
    fnd::ObserverToken token;
};

void changeTheInternet(fnd::testing::FakeReachability& fake, fnd::ReachabilityFlags flags) {
    fake.setFlagsForAddress(0, flags);
    fake.change();
    fnd::RunLoop::current().runUntilIdle();
}

TEST(BPReachabilityTest, ChangesAreAnnouncedOnTheStartingLoopWithAndWithoutTheProductMonitor) {
    auto fake = fnd::testing::FakeReachability::install();
    for (bool withProductMonitor : {false, true}) {
        std::shared_ptr<Reachability> product;
        std::unique_ptr<ScopedAppDelegate> delegate;
        if (withProductMonitor) {
            product = std::make_shared<Reachability>();
            AppRegistry registry;
            registry.reachability.factory = ServiceSlot<Reachability>::fixed(product);
            delegate = std::make_unique<ScopedAppDelegate>(std::move(registry));
        }
        fake->setFlagsForAddress(0, Reachable);
        auto monitor = BPReachability::reachabilityForInternetConnection();
        ASSERT_TRUE(monitor);
        Listener listener(monitor);
        EXPECT_TRUE(monitor->startNotifer());
        if (product) {
            EXPECT_TRUE(product->networkStatusNotificationsEnabled());
        }
        changeTheInternet(*fake, Reachable | IsWWAN);
        EXPECT_EQ(listener.count, 1) << withProductMonitor;
        EXPECT_TRUE(listener.sameObject);
        EXPECT_EQ(listener.thread, std::this_thread::get_id());
        EXPECT_EQ(monitor->currentReachabilityStatus(), 2);

        monitor->stopNotifer();
        changeTheInternet(*fake, 0);
        EXPECT_EQ(listener.count, 1) << withProductMonitor;
        EXPECT_EQ(monitor->currentReachabilityStatus(), 0);
        if (product) {
            product->stopListeningForReachabilityChanges();
        }
    }
}

gfx::ImagePtr solid(int width, int height, uint8_t grey) {
    fnd::Bytes pixels(static_cast<size_t>(width) * height * 4, grey);
    for (size_t i = 3; i < pixels.size(); i += 4) {
        pixels[i] = 255;
    }
    return gfx::Image::fromPixels(width, height, std::move(pixels));
}

TEST(BPImageCacheTest, OneEntryPerURLSharedAcrossThreads) {
    EXPECT_EQ(BPImageCache::sharedCache(), nullptr);
    AppRegistry registry;
    registry.brightpoint.factory = ServiceSlot<BrightpointContext>::fixed(std::make_shared<BrightpointContext>());
    ScopedAppDelegate delegate(std::move(registry));
    auto cache = BPImageCache::sharedCache();
    ASSERT_TRUE(cache);
    EXPECT_EQ(BPImageCache::sharedCache(), cache);

    const std::string url = "http://127.0.0.1/icons/1.png";
    EXPECT_EQ(cache->getImage(url), nullptr);
    auto first = solid(2, 2, 10);
    auto second = solid(2, 2, 20);
    cache->cacheImage(first, url);
    EXPECT_EQ(cache->getImage(url), first);
    cache->cacheImage(second, url);
    EXPECT_EQ(cache->getImage(url), second);
    EXPECT_EQ(cache->getImage(url + "?"), nullptr);

    std::vector<std::thread> threads;
    std::atomic<int> missing{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                const std::string key = "icon" + std::to_string(i);
                if (t % 2 == 0) {
                    cache->cacheImage(first, key);
                } else if (auto found = cache->getImage(key)) {
                    missing += found != first;
                }
                missing += cache->getImage(url) != second;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(missing.load(), 0);
    EXPECT_EQ(cache->getImage("icon199"), first);
}

TEST(BPImageCacheTest, IconsStayWithinTheBudgetLeastRecentlyUsedGoingFirst) {
    AppRegistry registry;
    registry.brightpoint.factory = ServiceSlot<BrightpointContext>::fixed(std::make_shared<BrightpointContext>());
    ScopedAppDelegate delegate(std::move(registry));
    auto cache = BPImageCache::sharedCache();
    ASSERT_TRUE(cache);
    // A quarter of the budget in pixels, 1024 wide; one image stands in for every icon.
    const int width = 1024;
    const int rows = static_cast<int>(BPImageCache::kMaxBytes / 4 / (width * 4));
    auto quarter = solid(width, rows, 1);
    for (int i = 0; i < 4; ++i) {
        cache->cacheImage(quarter, "icon" + std::to_string(i));
    }
    EXPECT_EQ(cache->getImage("icon0"), quarter); // now used after the others
    cache->cacheImage(quarter, "icon4");
    EXPECT_EQ(cache->getImage("icon1"), nullptr);
    for (const char* kept : {"icon0", "icon2", "icon3", "icon4"}) {
        EXPECT_EQ(cache->getImage(kept), quarter) << kept;
    }
    // One larger than the whole budget is not kept, and nothing makes room for it.
    cache->cacheImage(solid(width, rows * 4 + 1, 1), "huge");
    EXPECT_EQ(cache->getImage("huge"), nullptr);
    EXPECT_EQ(cache->getImage("icon2"), quarter);
}

TEST(BPImageManipulatorTest, RoundedCopyClearsTheCornersOnly) {
    auto rounded = BPImageManipulator::makeRoundCornerImage(solid(40, 30, 200), 10, 10);
    ASSERT_TRUE(rounded);
    EXPECT_EQ(rounded->size(), gfx::Size(40, 30));
    for (auto [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {39, 0}, {0, 29}, {39, 29}}) {
        EXPECT_EQ(rounded->pixelAt(x, y).a, 0) << x << "," << y;
    }
    EXPECT_EQ(rounded->pixelAt(20, 15).a, 255);
    EXPECT_EQ(rounded->pixelAt(20, 15).r, 200);
    EXPECT_EQ(rounded->pixelAt(20, 0).a, 255);

    auto plain = BPImageManipulator::makeRoundCornerImage(solid(8, 8, 90), 0, 10);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->pixelAt(0, 0).a, 255);
    EXPECT_EQ(plain->pixelAt(7, 7).r, 90);
    EXPECT_EQ(BPImageManipulator::makeRoundCornerImage(nullptr, 4, 4), nullptr);
}

} // namespace
} // namespace zelvan::brightpoint
