// The start-up report end to end with the ad host: the stored sessions arrive over the blocking HTTP
// exchange, the hook-ad reply fills the context's parser and its phase turns once; a failed exchange
// leaves the phase at 0, a damaged reply still turns it.
#include <gtest/gtest.h>

#include "analytics/tallio/tallio_ad_parser.h"
#include "analytics/tallio/tallio_api.h"
#include "analytics/tallio/tallio_session.h"
#include "platform/foundation/testing/log_capture.h"
#include "tests/analytics/tallio/tallio_test_support.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::tallio::testing {
namespace {

using ReplyExchangeTest = TallioTest;

TEST_F(ReplyExchangeTest, ReportDeliversSessionsAndTheReplyFillsTheParser) {
    devserver::DevAdsServer ads;
    auto host = devserver::addTallioRoutes(ads);
    ASSERT_TRUE(ads.start());

    // A run whose report is refused leaves its session stored; the next run delivers it.
    host->setStatus(500);
    auto refused = newRun(ads.baseURL(), std::make_shared<UrlReportSender>());
    int heard = 0;
    auto quiet = refused->adParser()->adParsingPhase().addObserver([&](const int&) { ++heard; });
    TallioAPI::startSession(kKey);
    refused->waitForUpload();
    EXPECT_EQ(refused->adParser()->adParsingPhase().get(), 0);
    EXPECT_FALSE(refused->adParser()->adWithHook("zelvan", "Lobby"));
    TallioAPI::logEvent("first run");
    TallioAPI::endSession();

    host->setStatus(200);
    auto ctx = newRun(ads.baseURL(), std::make_shared<UrlReportSender>());
    EXPECT_EQ(TallioAdParser::instance(), ctx->adParser());
    auto token = ctx->adParser()->adParsingPhase().addObserver([&](const int& phase) { heard += 10 * phase; });
    TallioAPI::startSession(kKey);
    ctx->waitForUpload();
    EXPECT_EQ(heard, 10);
    auto received = host->reports();
    ASSERT_EQ(received.size(), 2U);
    ASSERT_EQ(received[1].sessions.size(), 1U);
    EXPECT_EQ(received[1].sessions[0].events[0].name, "first run");
    EXPECT_EQ(received[1].requestAds, 1);
    EXPECT_TRUE(TallioSession::savedSessions(*ctx).empty());

    auto adsParser = TallioAdParser::instance();
    EXPECT_EQ(adsParser->adParsingPhase().get(), 1);
    auto handed = adsParser->adWithHook("zelvan", "Lobby");
    ASSERT_TRUE(handed);
    EXPECT_TRUE(handed->adImage);
    EXPECT_TRUE(adsParser->adWithHook("Tallio_Canvas_Hook_2", "Canvas"));
    EXPECT_TRUE(adsParser->getImageWithCode(1));
}

TEST_F(ReplyExchangeTest, DamagedReplyKeepsWhatCameBeforeAndLogsOnce) {
    devserver::DevAdsServer ads;
    auto host = devserver::addTallioRoutes(ads);
    ASSERT_TRUE(ads.start());
    host->setReply(devserver::DevTallioReplyKind::Damaged);
    fnd::testing::LogCapture log;
    auto ctx = newRun(ads.baseURL(), std::make_shared<UrlReportSender>());
    TallioAPI::startSession(kKey);
    ctx->waitForUpload();
    EXPECT_EQ(ctx->adParser()->adParsingPhase().get(), 1);
    EXPECT_TRUE(ctx->adParser()->adWithHook("zelvan", "Lobby"));
    EXPECT_EQ(log.count("hook-ad reply of"), 1U);
}

} // namespace
} // namespace zelvan::tallio::testing
