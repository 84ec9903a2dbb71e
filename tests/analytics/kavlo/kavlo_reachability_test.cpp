// The Kavlo reachability front over the product's monitor and a fake provider.
#include "analytics/kavlo/kavlo_reachability.h"

#include <gtest/gtest.h>

#include "analytics/kavlo/kavlo_context.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/log_capture.h"
#include "reachability/reachability.h"
#include "tests/support/scoped_app_delegate.h"

namespace zelvan::kavlo {
namespace {

using namespace fnd::ReachabilityFlag;

TEST(KavloReachabilityTest, StatusesFromTheSharedMonitor) {
    auto fake = fnd::testing::FakeReachability::install();
    auto monitor = std::make_shared<Reachability>();
    AppRegistry registry;
    registry.reachability.factory = ServiceSlot<Reachability>::fixed(monitor);
    registry.kavlo.factory = [](zelvanAppDelegate& delegate) {
        return std::make_shared<KavloContext>(delegate.service(&AppRegistry::reachability));
    };
    ScopedAppDelegate delegate(std::move(registry));
    auto reach = KavloReachability::getInstance();
    ASSERT_NE(reach, nullptr);
    EXPECT_FALSE(reach->networkStatusNotificationsEnabled());

    fake->setFlagsForAddress(0, Reachable | ConnectionRequired);
    EXPECT_EQ(reach->internetConnectionStatus(), 0);
    fake->setFlagsForAddress(0, Reachable | ConnectionRequired | IsWWAN | TransientConnection);
    EXPECT_EQ(reach->internetConnectionStatus(), 1);
    fake->setFlagsForAddress(0, Reachable | IsDirect);
    EXPECT_EQ(reach->internetConnectionStatus(), 0);
    fake->setFlagsForAddress(0, Reachable | TransientConnection);
    EXPECT_EQ(reach->internetConnectionStatus(), 1);
    fake->setFlagsForAddress(0, Reachable);
    EXPECT_EQ(reach->internetConnectionStatus(), 2);
    // The query is the monitor's own.
    EXPECT_TRUE(monitor->reachabilityQueries().count("0.0.0.0"));
    EXPECT_TRUE(reach->reachabilityQueries().count("0.0.0.0"));

    fake->setFlagsForAddress(0xA9FE0000, Reachable | IsDirect);
    EXPECT_EQ(reach->localWiFiConnectionStatus(), 2);
    fake->setFlagsForAddress(0xA9FE0000, Reachable);
    EXPECT_EQ(reach->localWiFiConnectionStatus(), 0);

    // Unreadable flags: 0, and the out value is left alone.
    fake->setUnavailable(true);
    fnd::ReachabilityFlags flags = 0x77;
    EXPECT_FALSE(reach->isNetworkAvailableFlags(&flags));
    EXPECT_EQ(flags, 0x77u);
    EXPECT_EQ(reach->internetConnectionStatus(), 0);
    fake->setUnavailable(false);

    // Own host name and address, apart from the monitor's.
    fnd::testing::LogCapture log;
    EXPECT_EQ(reach->remoteHostStatus(), 0);
    EXPECT_EQ(log.count("No hostName or address specified. Cannot determine reachability."), 1u);
    fake->setFlagsForName("data.kavlo.test", Reachable | TransientConnection);
    reach->setHostName("data.kavlo.test");
    EXPECT_EQ(reach->remoteHostStatus(), 1);
    EXPECT_EQ(monitor->hostName(), std::nullopt);
    reach->setHostName(std::nullopt);
    reach->setAddress("10.0.0.x");
    EXPECT_EQ(reach->remoteHostStatus(), 0);
    EXPECT_TRUE(log.contains("Failed to convert an IP address string to a sockaddr_in: 10.0.0.x"));
    reach->setAddress("10.0.0.1");
    EXPECT_EQ(reach->remoteHostStatus(), 2);

    EXPECT_FALSE(reach->isHostReachable(""));
    fake->setFlagsForName("off.test", Reachable | ConnectionRequired);
    EXPECT_FALSE(reach->isHostReachable("off.test"));
    EXPECT_TRUE(reach->isHostReachable("data.kavlo.test"));

    sockaddr_in address{};
    EXPECT_TRUE(KavloReachability::addressFromString("169.254.0.0", &address));
    EXPECT_EQ(address.sin_family, AF_INET);
    EXPECT_EQ(ntohl(address.sin_addr.s_addr), 0xA9FE0000u);
    EXPECT_FALSE(KavloReachability::addressFromString("", &address));
    EXPECT_FALSE(KavloReachability::addressFromString("256.1.1.1", &address));
}

TEST(KavloReachabilityTest, WithoutAMonitorEverythingIsUnreachable) {
    auto fake = fnd::testing::FakeReachability::install();
    KavloReachability reach(nullptr);
    EXPECT_EQ(reach.internetConnectionStatus(), 0);
    EXPECT_EQ(reach.localWiFiConnectionStatus(), 0);
    EXPECT_EQ(KavloReachability::getInstance(), nullptr);
}

} // namespace
} // namespace zelvan::kavlo
