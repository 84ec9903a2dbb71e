// The reachability monitor on a fake provider: the status table, bad addresses, listening only while
// notifications are on, the change notification, the registry slot and two threads asking at once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/log_capture.h"
#include "reachability/reachability.h"
#include "reachability/reachability_query.h"
#include "tests/support/scoped_app_delegate.h"

namespace zelvan {
namespace {

using namespace fnd::ReachabilityFlag;
constexpr uint32_t kLinkLocal = 0xA9FE0000;

TEST(ReachabilityTest, StatusTable) {
    auto fake = fnd::testing::FakeReachability::install();
    Reachability monitor;
    struct Case {
        fnd::ReachabilityFlags flags;
        int internet;
    };
    const Case cases[] = {
        {Reachable, ReachableViaWiFiNetwork},
        {Reachable | TransientConnection, ReachableViaCarrierDataNetwork},
        {Reachable | ConnectionRequired, NotReachable},
        {Reachable | ConnectionRequired | IsWWAN | TransientConnection, ReachableViaCarrierDataNetwork},
        {Reachable | IsDirect, NotReachable},
        {0, NotReachable},
    };
    for (const Case& c : cases) {
        fake->setFlagsForAddress(0, c.flags);
        EXPECT_EQ(monitor.internetConnectionStatus(), c.internet) << c.flags;
    }
    fake->setUnavailable(true);
    EXPECT_EQ(monitor.internetConnectionStatus(), NotReachable);
    fake->setUnavailable(false);

    fake->setFlagsForAddress(kLinkLocal, Reachable | IsDirect);
    EXPECT_EQ(monitor.localWiFiConnectionStatus(), ReachableViaWiFiNetwork);
    fake->setFlagsForAddress(kLinkLocal, Reachable);
    EXPECT_EQ(monitor.localWiFiConnectionStatus(), NotReachable);

    fnd::testing::LogCapture capture;
    EXPECT_EQ(monitor.remoteHostStatus(), NotReachable);
    EXPECT_TRUE(capture.contains("No hostName or address specified. Cannot determine reachability."));
    monitor.setAddress("10.1.2");
    EXPECT_EQ(monitor.remoteHostStatus(), NotReachable);
    EXPECT_TRUE(capture.contains("Failed to convert an IP address string to a sockaddr_in: 10.1.2"));
    monitor.setAddress("10.1.2.3");
    fake->setFlagsForAddress(0x0A010203, Reachable | TransientConnection);
    EXPECT_EQ(monitor.remoteHostStatus(), ReachableViaCarrierDataNetwork);
    monitor.setHostName("ads.test");
    fake->setFlagsForName("ads.test", Reachable | ConnectionRequired);
    EXPECT_EQ(monitor.remoteHostStatus(), ReachableViaWiFiNetwork);
    EXPECT_FALSE(monitor.isHostReachable("ads.test"));
    EXPECT_FALSE(monitor.isHostReachable(""));
    EXPECT_EQ(monitor.reachabilityQueries().count("0.0.0.0"), 1u);
    EXPECT_EQ(monitor.reachabilityQueries().count("169.254.0.0"), 1u);
}

TEST(ReachabilityTest, ListensOnlyWhileNotificationsAreOn) {
    auto fake = fnd::testing::FakeReachability::install();
    auto owner = std::make_shared<int>(0);
    int posted = 0;
    fnd::NotificationCenter::defaultCenter().addObserver(owner, std::string(kNetworkReachabilityChangedNotification),
                                                         fnd::Value(), [&](const fnd::Notification&) { ++posted; });
    Reachability monitor;
    fnd::RunLoop& loop = fnd::RunLoop::current();

    EXPECT_EQ(monitor.internetConnectionStatus(), ReachableViaWiFiNetwork);
    auto query = monitor.reachabilityQueries().at("0.0.0.0");
    EXPECT_EQ(query->runLoopCount(), 0u);
    fake->setFlagsForAddress(0, 0);
    fake->change();
    loop.runUntilIdle();
    EXPECT_EQ(posted, 0);

    monitor.setNetworkStatusNotificationsEnabled(true);
    EXPECT_EQ(monitor.internetConnectionStatus(), NotReachable);
    EXPECT_TRUE(query->isScheduledOnRunLoop(loop));
    fake->setFlagsForAddress(0, Reachable);
    fake->change();
    loop.runUntilIdle();
    EXPECT_EQ(posted, 1);

    monitor.stopListeningForReachabilityChanges();
    EXPECT_EQ(query->runLoopCount(), 0u);
    fake->setFlagsForAddress(0, 0);
    fake->change();
    loop.runUntilIdle();
    EXPECT_EQ(posted, 1);
}

TEST(ReachabilityTest, SharedMonitorComesFromTheRegistryAndServesTwoThreads) {
    auto fake = fnd::testing::FakeReachability::install();
    EXPECT_EQ(Reachability::sharedReachability(), nullptr);
    auto monitor = std::make_shared<Reachability>();
    AppRegistry registry;
    registry.reachability.factory = ServiceSlot<Reachability>::fixed(monitor);
    ScopedAppDelegate delegate(std::move(registry));
    ASSERT_EQ(Reachability::sharedReachability(), monitor);

    monitor->setNetworkStatusNotificationsEnabled(true);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                wrong += monitor->internetConnectionStatus() != ReachableViaWiFiNetwork;
                wrong += monitor->reachabilityRefForHostName("host" + std::to_string(i)) == nullptr;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(monitor->reachabilityQueries().size(), 201u);
    monitor->stopListeningForReachabilityChanges();
}

} // namespace
} // namespace zelvan
