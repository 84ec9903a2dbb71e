// Reachability: the route-table parser and the flag rules over made-up network states, the Linux
// provider on this machine, and scheduled callbacks driven by the fake under the manual clock.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/backends.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/linux_reachability.h"
#include "platform/foundation/reachability.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/loop_driver.h"

namespace fnd {
namespace {

using Linux = LinuxReachability;
namespace F = ReachabilityFlag;

constexpr ReachabilityFlags kLocal = F::Reachable | F::IsLocalAddress | F::IsDirect;

class ReachabilityTest : public ::testing::Test {
protected:
    void TearDown() override {
        RunLoop::main().runUntilIdle();
        installReachabilityProvider(nullptr);
        Clock::install(nullptr);
    }
};

// The route text is what a little-endian kernel prints: each address's bytes in memory order.
TEST_F(ReachabilityTest, ParsesRouteTableText) {
    const std::string header = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
    struct Case {
        std::string name;
        std::string text;
        std::vector<Linux::Route> expected;
        bool logsSkip;
    };
    const std::vector<Case> cases = {
        {"empty", "", {}, false},
        {"header only", header, {}, false},
        {"default and subnet routes",
         header + "eth0\t00000000\t0100A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                  "eth0\t0000A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n",
         {{"eth0", 0, 0xC0A80001, 0, 0x3}, {"eth0", 0xC0A80000, 0, 0xFFFFFF00, 0x1}},
         false},
        {"no final newline, CRLF and spaces",
         header + "wlan0 00000000 0101A8C0 0003 0 0 600 00000000 0 0 0\r\nlo 0000007F 00000000 0001 0 0 0 000000FF",
         {{"wlan0", 0, 0xC0A80101, 0, 0x3}, {"lo", 0x7F000000, 0, 0xFF000000, 0x1}},
         false},
        {"bad rows are skipped",
         header + "eth0\tZZ000000\t00000000\t0001\t0\t0\t0\t00000000\n"
                  "eth0\t00000000\n"
                  "eth0\t000000000\t00000000\t0001\t0\t0\t0\t00000000\n"
                  "eth0\t-1\t00000000\t0001\t0\t0\t0\t00000000\n"
                  "eth1\t00000000\t00000000\t0001\t0\t0\t0\t00000000\n",
         {{"eth1", 0, 0, 0, 0x1}},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::LogCapture log;
        auto routes = Linux::parseRouteTable(c.text);
        ASSERT_EQ(routes.size(), c.expected.size());
        for (size_t i = 0; i < routes.size(); ++i) {
            EXPECT_EQ(routes[i].interface, c.expected[i].interface);
            EXPECT_EQ(routes[i].destination, c.expected[i].destination);
            EXPECT_EQ(routes[i].gateway, c.expected[i].gateway);
            EXPECT_EQ(routes[i].mask, c.expected[i].mask);
            EXPECT_EQ(routes[i].flags, c.expected[i].flags);
        }
        EXPECT_EQ(log.contains("route table"), c.logsSkip);
    }
}

TEST_F(ReachabilityTest, FlagRulesOverNetworkStates) {
    const Linux::Interface lo{"lo", true, true, 0x7F000001, 0xFF000000};
    const Linux::Interface eth{"eth0", true, false, 0xC0A8000A, 0xFFFFFF00}; // 192.168.0.10/24
    const Linux::Interface ethDown{"eth0", false, false, 0xC0A8000A, 0xFFFFFF00};
    const Linux::Interface linkLocal{"eth0", true, false, 0xA9FE0304, 0xFFFF0000}; // 169.254.3.4/16
    const Linux::Route defaultRoute{"eth0", 0, 0xC0A80001, 0, 0x3};
    const Linux::Route subnet{"eth0", 0xC0A80000, 0, 0xFFFFFF00, 0x1};

    const Linux::NetworkState offline{{lo}, {}};
    const Linux::NetworkState wifi{{lo, eth}, {defaultRoute, subnet}};
    const Linux::NetworkState noDefault{{lo, eth}, {subnet}};
    const Linux::NetworkState down{{lo, ethDown}, {defaultRoute}};
    const Linux::NetworkState onlyLinkLocal{{lo, linkLocal}, {}};
    const Linux::NetworkState downNoRoute{{lo, ethDown}, {}};

    struct Case {
        const char* name;
        const Linux::NetworkState& state;
        std::optional<uint32_t> address; // else `host`
        const char* host;
        ReachabilityFlags expected;
    };
    const std::vector<Case> cases = {
        {"internet offline", offline, 0u, "", 0},
        {"internet on wifi", wifi, 0u, "", F::Reachable},
        {"internet without default route", noDefault, 0u, "", 0},
        {"internet with interface down", down, 0u, "", 0},
        {"link-local net on wifi", wifi, Linux::kLinkLocalNet, "", 0},
        {"link-local net with link-local address", onlyLinkLocal, Linux::kLinkLocalNet, "", F::Reachable | F::IsDirect},
        {"link-local net with interface down", downNoRoute, Linux::kLinkLocalNet, "", 0},
        {"loopback address offline", offline, 0x7F000001u, "", kLocal},
        {"own address", wifi, 0xC0A8000Au, "", kLocal},
        {"neighbour on the subnet", wifi, 0xC0A80014u, "", F::Reachable | F::IsDirect},
        {"far address", wifi, 0x08080808u, "", F::Reachable},
        {"far address offline", offline, 0x08080808u, "", 0},
        {"name on wifi", wifi, std::nullopt, "relay.example.com", F::Reachable},
        {"name without default route", noDefault, std::nullopt, "relay.example.com", 0},
        {"localhost offline", offline, std::nullopt, "localhost", kLocal},
        {"LOCALHOST. offline", offline, std::nullopt, "LOCALHOST.", kLocal},
        {"sub.localhost offline", offline, std::nullopt, "game.localhost", kLocal},
        {"::1 offline", offline, std::nullopt, "::1", kLocal},
        {"loopback literal offline", offline, std::nullopt, "127.0.0.1", kLocal},
        {"neighbour literal", wifi, std::nullopt, "192.168.0.20", F::Reachable | F::IsDirect},
        {"notlocalhost is a name", offline, std::nullopt, "notlocalhost", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReachabilityFlags got =
            c.address ? Linux::flagsForAddress(c.state, *c.address) : Linux::flagsForName(c.state, c.host);
        EXPECT_EQ(got, c.expected);
        EXPECT_EQ(got & (F::TransientConnection | F::IsWWAN | F::ConnectionRequired), 0u);
    }
}

TEST_F(ReachabilityTest, LinuxProviderReadsThisMachine) {
    auto state = Linux::readState();
    ASSERT_TRUE(state.has_value());
    bool hasLoopback = false;
    for (const auto& i : state->interfaces) {
        hasLoopback = hasLoopback || (i.loopback && i.ipv4 == 0x7F000001u);
    }
    EXPECT_TRUE(hasLoopback);
    // The default provider answers as the rules say for what this machine has right now.
    auto internet = ReachabilityRef::withAddress(0)->getFlags();
    ASSERT_TRUE(internet.has_value());
    EXPECT_EQ(*internet, Linux::flagsForAddress(*state, 0));
    EXPECT_EQ(Reachability::internetReachable(), Linux::internetUp(*state));
    EXPECT_EQ(ReachabilityRef::withName("localhost")->getFlags(), std::optional<ReachabilityFlags>(kLocal));
    EXPECT_EQ(ReachabilityRef::withAddress(0x7F000001)->getFlags(), std::optional<ReachabilityFlags>(kLocal));
    EXPECT_EQ(ReachabilityRef::withName(""), nullptr);
}

TEST_F(ReachabilityTest, FakeDrivesScheduledCallbacksOnTheManualClock) {
    auto clock = ManualClock::install();
    auto fake = testing::FakeReachability::install();
    RunLoop& main = RunLoop::main();

    EXPECT_TRUE(Reachability::internetReachable());
    fake->setFlagsForAddress(0, F::Reachable | F::ConnectionRequired);
    EXPECT_FALSE(Reachability::internetReachable());
    fake->setFlagsForAddress(0, 0);
    EXPECT_FALSE(Reachability::internetReachable());

    auto ref = ReachabilityRef::withName("relay.example.com");
    std::vector<ReachabilityFlags> heard;
    EXPECT_TRUE(ref->setCallback([&](ReachabilityRef& r, ReachabilityFlags flags) {
        EXPECT_EQ(&r, ref.get());
        heard.push_back(flags);
    }));
    ASSERT_TRUE(ref->scheduleWithRunLoop(main));
    EXPECT_EQ(ref->getFlags(), std::optional<ReachabilityFlags>(F::Reachable));

    // A change shows at the next 5 s poll, once.
    fake->setFlagsForName("relay.example.com", 0);
    main.advance(4.9);
    EXPECT_TRUE(heard.empty());
    main.advance(0.1);
    EXPECT_EQ(heard, std::vector<ReachabilityFlags>{0});
    main.advance(20);
    EXPECT_EQ(heard.size(), 1u);

    // change() makes it re-read at once, without time moving.
    fake->setFlagsForName("relay.example.com", F::Reachable | F::IsWWAN | F::TransientConnection);
    fake->change();
    main.runUntilIdle();
    EXPECT_EQ(heard, (std::vector<ReachabilityFlags>{0, F::Reachable | F::IsWWAN | F::TransientConnection}));

    // Unreadable flags are no change; unscheduled refs stay silent.
    fake->setUnavailable(true);
    EXPECT_EQ(ref->getFlags(), std::nullopt);
    main.advance(5);
    EXPECT_EQ(heard.size(), 2u);
    fake->setUnavailable(false);
    EXPECT_TRUE(ref->unscheduleFromRunLoop(main));
    EXPECT_FALSE(ref->unscheduleFromRunLoop(main));
    fake->setFlagsForName("relay.example.com", F::Reachable);
    fake->change();
    main.advance(10);
    EXPECT_EQ(heard.size(), 2u);

    // A dropped ref is never called back.
    auto other = ReachabilityRef::withAddress(Linux::kLinkLocalNet);
    int otherCalls = 0;
    other->setCallback([&](ReachabilityRef&, ReachabilityFlags) { ++otherCalls; });
    ASSERT_TRUE(other->scheduleWithRunLoop(main));
    fake->setFlagsForAddress(Linux::kLinkLocalNet, 0);
    fake->change();
    other.reset();
    main.advance(10);
    EXPECT_EQ(otherCalls, 0);
}

} // namespace
} // namespace fnd
