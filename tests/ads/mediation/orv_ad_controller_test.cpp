// The per-event controller: rotation order and flips, eligibility, keys and starters, show requests and
// impressions, the watchdog and late reports, and the faults of the ordered walk.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "platform/foundation/notification_center.h"
#include "platform/foundation/testing/log_capture.h"
#include "tests/ads/mediation/mediation_test_support.h"

namespace zelvan::mediation::testing {
namespace {

using Controller = Fixture;

TEST_F(Controller, RotatesUpwardAndDownwardWithFlips) {
    for (int direction : {2, 1}) {
        started.clear();
        core->impressions.clear();
        ui::AnimationLog::clear();
        for (const char* key : {"a", "b", "c"}) {
            add(key, Reply::View);
        }
        order({network("a"), network("b"), network("c")}, 10, direction, 2);
        auto made = controller();
        made->preLoadAd(1);
        EXPECT_EQ(made->currentAdProviderIndex(), direction == 2 ? 1 : 2);
        advance(1);  // the first ad arrives on screen: one impression, a rotation in 10 s
        advance(33); // three rotations, each ad 1 s after its start
        const std::vector<std::string> expected = direction == 2 ? std::vector<std::string>{"a", "b", "c", "a"}
                                                                 : std::vector<std::string>{"a", "c", "b", "a"};
        EXPECT_EQ(started, expected) << "direction " << direction;
        EXPECT_EQ(core->impressions, (std::vector<std::string>{"c-" + expected[0], "c-" + expected[1],
                                                               "c-" + expected[2], "c-" + expected[3]}));
        const std::string flip = direction == 1 ? "flipFromLeft" : "flipFromRight";
        EXPECT_EQ(transitions(), std::vector<std::string>(4, flip));
        EXPECT_EQ(made->iORVAdView()->subviews().size(), 1u);
        EXPECT_EQ(made->anyPreloadActive(), 0);
    }
}

TEST_F(Controller, EligibilityByCounterLimitAndEvent) {
    auto made = context->controllers()->resetAdController(1);
    auto& defaults = fnd::UserDefaults::standard();
    made->setCurrentEventID(1);
    const auto limited = network("x", 2, 3);
    defaults.setInteger(3, "kORVEventID1");
    EXPECT_TRUE(made->canSelectAdProviderWithInfo(*limited, 2));
    defaults.setInteger(6, "kORVEventID1");
    EXPECT_FALSE(made->canSelectAdProviderWithInfo(*limited, 2));
    defaults.setInteger(4, "kORVEventID1");
    EXPECT_FALSE(made->canSelectAdProviderWithInfo(*limited, 2));
    const auto unlimited = network("y", -1, 1);
    for (int64_t counter : {1, 2, 77}) {
        defaults.setInteger(counter, "kORVEventID1");
        EXPECT_TRUE(made->canSelectAdProviderWithInfo(*unlimited));
    }
    // Events outside 1 to 5 never find a network: the first attempt answers "noAd".
    for (int event : {0, 6}) {
        order({network("a")}, 0, 2, 0);
        auto other = context->controllers()->resetAdController(event);
        other->setCurrentEventID(event);
        EXPECT_EQ(other->rotationNextAd(1, 0), ORVAdController::kNoAd);
    }
    // A limit times an interval beyond 32 bits, an interval of 0 with a negative counter: no overflow, no
    // division by zero.
    defaults.setInteger(3, "kORVEventID1");
    EXPECT_TRUE(made->canSelectAdProviderWithInfo(*network("big", INT_MAX, 3), INT_MAX));
    defaults.setInteger(-4, "kORVEventID1");
    EXPECT_FALSE(made->canSelectAdProviderWithInfo(*network("zero", 5, 0), 5));
    EXPECT_FALSE(made->canSelectAdProviderWithInfo(*network("zero", -1, 0)));
    EXPECT_FALSE(made->canSelectAdProviderWithInfo(*network("neg", 5, -2), 5));
}

TEST_F(Controller, LastNetworkZeroAndLargerThanTheSequence) {
    add("a", Reply::View);
    add("b", Reply::View);
    order({network("a", 1, 1), network("b")}, 5, 2, 0);
    auto made = controller();
    made->preLoadAd(1); // counter 1: "a" once (limit 1 x interval 1 > 1 fails): noAd, nothing started
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(made->currentAdProviderIndex(), 2);
    // A later order naming more networks than the sequence holds: the walk stays inside it.
    order({network("a"), network("b")}, 5, 2, 7);
    made->setSequenceOfAdProviders(*core->list);
    made->setCurrentAdProviderIndex(0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(made->rotationNextAd(1, 7), i % 2 == 0 ? "a" : "b");
    }
    EXPECT_NE(made->getCurrentAdNetwork(), nullptr);
}

TEST_F(Controller, KeysAreTrimmedAndComparedExactly) {
    fnd::testing::LogCapture log;
    add("adwick", Reply::View);
    order({network(" adwick\n"), network("Adwick"), network("kavlo")}, 0, 2, 2);
    auto made = controller();
    made->preLoadAd(1);
    EXPECT_EQ(started, std::vector<std::string>{"adwick"});
    EXPECT_EQ(made->adProviderName(), "adwick");
    // Each rotation skips "Adwick" and "kavlo" (no starter) and comes back round to " adwick\n".
    for (int round = 0; round < 2; ++round) {
        advance(1);
        made->rotateToNextAd();
    }
    EXPECT_EQ(started, (std::vector<std::string>{"adwick", "adwick", "adwick"}));
    EXPECT_EQ(log.count("mediation: no adapter for Adwick"), 1u);
    EXPECT_EQ(log.count("mediation: no adapter for kavlo"), 1u);
    // No network with an adapter: the walk ends as when none is eligible.
    for (int last : {2, 0}) {
        order({network("x"), network("y"), network("z")}, 0, 2, last);
        auto lone = context->controllers()->resetAdController(1);
        lone->preLoadAd(1);
        EXPECT_EQ(lone->currentAdProviderIndex(), 3);
        EXPECT_EQ(lone->anyPreloadActive(), 2);
    }
}

TEST_F(Controller, ShowRequestsAndImpressions) {
    add("a", Reply::View);
    add("b", Reply::View);
    order({network("a"), network("b")}, 10, 2, 1);
    // Preload, then show: the ad arrives off screen (no impression); the show request reports it and
    // schedules the rotation.
    auto made = context->controllers()->resetAdController(1);
    made->preLoadAd(1);
    advance(1);
    EXPECT_TRUE(core->impressions.empty());
    EXPECT_TRUE(made->rotationWaiting());
    EXPECT_EQ(made->broadcastAd(1), made->iORVAdView());
    EXPECT_EQ(core->impressions, std::vector<std::string>{"c-a"});
    screen->addSubview(made->iORVAdView());
    advance(10);
    EXPECT_EQ(started, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(fnd::UserDefaults::standard().integerForKey("kORVEventID1"), 2);
    // Taken off screen: the next ad waits and no rotation is scheduled.
    made->iORVAdView()->removeFromSuperview();
    advance(100);
    EXPECT_EQ(started.size(), 2u);
    EXPECT_EQ(core->impressions.size(), 1u);
}

TEST_F(Controller, ShowFirstAndNoRotation) {
    add("a", Reply::View);
    order({network("a")}, 0, 2, 0);
    auto made = controller();
    made->broadcastAd(1); // no ad yet: no impression
    EXPECT_TRUE(core->impressions.empty());
    EXPECT_EQ(context->adShownState(), 0);
    made->preLoadAd(1);
    advance(1);
    EXPECT_EQ(core->impressions, std::vector<std::string>{"c-a"});
    EXPECT_TRUE(transitions().empty());
    made->preLoadAd(1);
    advance(100); // the second ad: no impression (the state is 1), no timer
    EXPECT_EQ(started.size(), 2u);
    EXPECT_EQ(core->impressions.size(), 1u);
    made->broadcastAd(1); // impressions come from show requests now
    EXPECT_EQ(core->impressions.size(), 2u);
}

TEST_F(Controller, ImpressionNamesTheNetworkOnScreenAfterNoAd) {
    add("a", Reply::View);
    auto direct = network("b", 2, 1);
    direct->adShownURL = "http://count";
    add("b", Reply::View);
    order({network("a", 2, 1), direct, network("c", 0, 1)}, 0, 2, 2);
    auto made = controller();
    made->preLoadAd(1); // counter 1: "a"
    advance(1);
    made->rotateToNextAd(); // "b"
    advance(1);
    made->broadcastAd(1); // counter 2: none is eligible any more
    made->rotateToNextAd();
    EXPECT_EQ(made->currentAdProviderIndex(), 3);
    EXPECT_EQ(made->getCurrentAdNetwork()->adLibraryName, "c"); // what the rotation would name
    made->broadcastAd(1);
    EXPECT_EQ(core->impressions.back(), "direct c-b");
    // A new order replaces the list; the network on screen is still the one reported.
    core->list = std::vector<AdNetworkRef>{network("d")};
    fnd::NotificationCenter::defaultCenter().postNotificationName(ORVAdController::kOrderReceived);
    EXPECT_EQ(made->sequenceOfAdProviders().size(), 1u);
    made->broadcastAd(1);
    EXPECT_EQ(core->impressions.back(), "direct c-b");
}

TEST_F(Controller, RawAdsNeedTheirViewFactories) {
    fnd::testing::LogCapture log;
    context->setStarter("k", [this](ORVAdController&, AttemptToken token) -> std::shared_ptr<MediationAdapter> {
        tokens.push_back(token);
        return nullptr;
    });
    order({network("k")}, 0, 2, 0);
    auto made = controller();
    made->preLoadAd(1);
    made->kavloAdReady(tokens.back(), "<p>ad</p>");
    EXPECT_TRUE(log.contains("mediation: no HTML ad view yet, so the kavlo ad is dropped"));
    EXPECT_EQ(made->anyPreloadActive(), 0);
    made->preLoadAd(1);
    made->orvaneAdReady(tokens.back(), HouseAd{});
    EXPECT_TRUE(log.contains("mediation: no house-ad view yet"));
    EXPECT_TRUE(made->iORVAdView()->subviews().empty());
    std::vector<std::string> pages;
    context->setHtmlAdFactory([&](const std::string& html, gfx::Size size) {
        pages.push_back(html);
        return ui::View::create(gfx::Rect(0, 0, size.width, size.height));
    });
    made->preLoadAd(1);
    made->selvoAdReady(tokens.back(), "http://i/b.png", "http://c/?a=1&b=2", gfx::Size(300, 50));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("href=\"http://c/?a=1&amp;b=2\""), std::string::npos);
    EXPECT_EQ(made->iORVAdView()->subviews().size(), 1u);
    const fnd::Value params = made->orvaneParameters();
    EXPECT_EQ(params.asDictionary()->objectForKey("AppID").stringValue(), "app");
    EXPECT_EQ(params.asDictionary()->objectForKey("AdType").stringValue(), " ");
    EXPECT_EQ(params.asDictionary()->objectForKey("AdCampaignID").stringValue(), "c-k");
}

TEST_F(Controller, CounterStopsAtTheTop) {
    order({network("a")}, 0, 2, 0);
    auto made = controller();
    fnd::UserDefaults::standard().setInteger(INT_MAX, "kORVEventID1");
    made->setCurrentEventID(1);
    made->broadcastAd(1);
    made->broadcastAd(1);
    EXPECT_EQ(fnd::UserDefaults::standard().integerForKey("kORVEventID1"), INT_MAX);
}

TEST_F(Controller, WatchdogEndsSilentAttemptsAndDropsLateReports) {
    fnd::testing::LogCapture log;
    add("quiet", Reply::Silent);
    add("b", Reply::View);
    order({network("quiet"), network("b")}, 0, 2, 1);
    auto made = controller();
    made->preLoadAd(1);
    const AttemptToken first = tokens.at(0);
    advance(44);
    EXPECT_EQ(started.size(), 1u);
    EXPECT_EQ(made->anyPreloadActive(), 1);
    advance(1); // 45 s: the silent attempt ends and the next network starts
    EXPECT_EQ(started, (std::vector<std::string>{"quiet", "b"}));
    EXPECT_TRUE(log.contains("quiet gave no answer within 45 s"));
    advance(2);
    EXPECT_EQ(made->anyPreloadActive(), 0);
    EXPECT_EQ(adaptersAlive, 0); // both released once their attempts ended
    // The silent adapter's late report is dropped; its view never reaches the screen.
    auto late = ui::View::create(gfx::Rect(0, 0, 320, 50));
    made->adwickAdReady(first, late);
    EXPECT_EQ(late->superview(), nullptr);
    EXPECT_TRUE(log.contains("dropped a late or second report (adwickAdReady)"));
    EXPECT_EQ(made->iORVAdView()->subviews().size(), 1u); // b's ad alone
}

TEST_F(Controller, RandomReportOrdersGiveOneOutcomePerAttempt) {
    fnd::testing::LogCapture log(fnd::testing::LogCapture::Repeats::All);
    std::mt19937 random(7);
    context->setStarter("n", [this](ORVAdController&, AttemptToken token) -> std::shared_ptr<MediationAdapter> {
        tokens.push_back(token);
        return nullptr;
    });
    order({network("n"), network("n"), network("n")}, 0, 2, 2);
    auto made = controller();
    made->preLoadAd(1);
    size_t accepted = 0;
    for (int round = 0; round < 200; ++round) {
        const AttemptToken pick = tokens.at(random() % tokens.size());
        const bool current = pick == made->currentAttempt() && made->anyPreloadActive() == 1;
        switch (random() % 4) {
        case 0:
            made->adwickAdReady(pick, ui::View::create(gfx::Rect(0, 0, 320, 50)));
            break;
        case 1:
            made->loadNextAdInLine(pick);
            break;
        case 2:
            made->ostromAdReady(pick, nullptr);
            break;
        default:
            advance(random() % 50);
            break;
        }
        accepted += current ? 1 : 0;
        EXPECT_LE(made->iORVAdView()->subviews().size(), 1u);
        if (made->anyPreloadActive() != 1) {
            made->rotateToNextAd();
        }
    }
    // Every attempt ended once: by its report, or by the watchdog.
    EXPECT_GT(log.count("dropped a late or second report"), 0u);
    EXPECT_GT(accepted, 0u);
}

TEST_F(Controller, HtmlPageEscapesItsAddresses) {
    const std::string page =
        ORVAdController::htmlForAdWithImageSourceURL("http://i/a.png?x=1&y=\"2\"", "http://c/\"><script>");
    EXPECT_NE(page.find("-//W3C//DTD HTML 4.01 TRANSITIONAL//EN"), std::string::npos);
    EXPECT_NE(page.find("src=\"http://i/a.png?x=1&amp;y=&quot;2&quot;\""), std::string::npos);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("alt=\"Check it out!\" height=\"50\" width=\"300\""), std::string::npos);
}

} // namespace
} // namespace zelvan::mediation::testing
