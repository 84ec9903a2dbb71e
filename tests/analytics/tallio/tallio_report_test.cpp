// Tests of the session report's bytes, read back by the ad host's own decoder, and of the archived form.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "analytics/tallio/tallio_ad.h"
#include "analytics/tallio/tallio_ad_impression.h"
#include "analytics/tallio/tallio_api.h"
#include "analytics/tallio/tallio_session.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/run_loop.h"
#include "protocol/tagged_codec.h"
#include "tests/analytics/tallio/tallio_test_support.h"

namespace zelvan::tallio::testing {
namespace {

devserver::DevTallioReport decode(const fnd::Bytes& bytes) {
    auto report = devserver::decodeTallioReport(std::string(bytes.begin(), bytes.end()));
    EXPECT_TRUE(report.has_value());
    return report.value_or(devserver::DevTallioReport{});
}

using ReportTest = TallioTest;

TEST_F(ReportTest, HeaderDictionaryAndSessionBlocks) {
    bundleWithMetadata("<plist version=\"1.0\"><dict><key>itemId</key><integer>310</integer><key>price</key>"
                       "<real>0.99</real><key>com.apple.iTunesStore.downloadInfo</key><dict><key>purchaseDate</key>"
                       "<string>2009-12-01</string></dict></dict></plist>");
    auto ctx = newRun();
    auto current = TallioSession::createActiveTallioSession(*ctx, kKey);
    clock_->advance(2.5);

    // A finished session with one event "open", a long user id and a crashed one without an end.
    auto finished = TallioSession::initWithAPIKey(kKey, "1.0");
    finished->recordEvent("open");
    finished->recordEvent("buy", fnd::Value::dictionary({{"item", "hat"}, {"price", 3}}));
    finished->setUserID(std::string(300, 'u'));
    clock_->advance(1.25);
    finished->endSession(*ctx);
    auto crashed = TallioSession::initWithAPIKey(kKey, "0.9");
    crashed->setCrashed(true);

    fnd::Bytes first = TallioSession::dataForSessions(*ctx, {finished, crashed}, true);
    ASSERT_GE(first.size(), 8U);
    EXPECT_EQ(fnd::Bytes(first.begin(), first.begin() + 8), (fnd::Bytes{0, 9, 0, 1, 0, 2, 0, 14}));
    auto report = decode(first);
    EXPECT_EQ(report.apiKey, kKey);
    EXPECT_EQ(report.phoneId.rfind("IPHONE", 0), 0U);
    EXPECT_EQ(report.startTime, current->startTime());
    EXPECT_EQ(report.now, report.startTime + 3750);
    ASSERT_EQ(report.device.size(), 6U); // no report delivered yet: the store entries too
    EXPECT_EQ(report.device[0].first, "device.model.1");
    EXPECT_EQ(report.device[2], (std::pair<std::string, std::string>{"store.id", "310"}));
    EXPECT_EQ(report.device[3], (std::pair<std::string, std::string>{"pur.date", "2009-12-01"}));
    EXPECT_EQ(report.device[4], (std::pair<std::string, std::string>{"pur.price", "0.99"}));
    EXPECT_EQ(report.device[5], (std::pair<std::string, std::string>{"rel.date", ""}));
    ASSERT_EQ(report.sessions.size(), 2U);
    const auto& one = report.sessions[0];
    EXPECT_EQ(one.length, 1250);
    EXPECT_EQ(one.userID, std::string(255, 'u'));
    EXPECT_EQ(one.fixedOne, 1);
    EXPECT_EQ(one.fixedFF, 0xFF);
    ASSERT_EQ(one.eventCounts.size(), 2U);
    EXPECT_EQ(one.eventCounts[0], (std::pair<std::string, int32_t>{"open", 1}));
    ASSERT_EQ(one.events.size(), 2U);
    EXPECT_EQ(one.events[0].name, "open");
    EXPECT_TRUE(one.events[0].parameters.empty());
    EXPECT_EQ(one.events[1].parameters,
              (std::vector<std::pair<std::string, std::string>>{{"item", "hat"}, {"price", "3"}}));
    EXPECT_EQ(report.sessions[1].length, -1);
    // The crashed session's length: eight 0xFF right after its version text and start time.
    const fnd::Bytes block = crashed->data();
    EXPECT_EQ(fnd::Bytes(block.begin() + 2 + 3 + 8, block.begin() + 2 + 3 + 16), fnd::Bytes(8, 0xFF));

    // After a delivery, the store entries are left out; no sessions: the report ends with S = 0.
    TallioSession::setSentSession(*ctx);
    fnd::Bytes later = TallioSession::dataForSessions(*ctx, {}, false);
    auto second = decode(later);
    EXPECT_EQ(second.requestAds, 0);
    EXPECT_EQ(second.device.size(), 2U);
    EXPECT_TRUE(second.sessions.empty());
    EXPECT_EQ(later[later.size() - 2], 0);
    EXPECT_EQ(later.back(), 0);
}

TEST_F(ReportTest, TextsAreCutAtCodePointsWithinTheUnitLimit) {
    EXPECT_EQ(TallioSession::limitStringLength(std::string(255, 'a')), std::string(255, 'a'));
    EXPECT_EQ(TallioSession::limitStringLength(std::string(256, 'a')), std::string(255, 'a'));
    // A pair of units at 254-255 would be split by a 255-unit cut: it goes whole.
    const std::string face = "\xF0\x9F\x98\x80";
    EXPECT_EQ(TallioSession::limitStringLength(std::string(254, 'a') + face + "b"), std::string(254, 'a'));
    EXPECT_EQ(TallioSession::limitStringLength(std::string(253, 'a') + face + "b"), std::string(253, 'a') + face);
    // The count gives UTF-8 bytes: 255 two-byte characters are 510 bytes.
    std::string accents;
    for (int i = 0; i < 300; ++i) {
        accents += "\xC3\xA9";
    }
    fnd::Bytes out;
    TallioSession::appendString(accents, out);
    EXPECT_EQ(out[0] * 256 + out[1], 510);
    EXPECT_EQ(out.size(), 512U);
}

TEST_F(ReportTest, LimitsOfTheSession) {
    newRun();
    auto session = TallioSession::initWithAPIKey(kKey, "1.0");
    for (int i = 0; i < 100; ++i) {
        session->recordEvent("name" + std::to_string(i));
    }
    session->recordEvent("name100"); // the 101st name is not counted
    session->recordEvent("name0");   // nor is a held name any more
    EXPECT_EQ(session->eventCounts().size(), 100U);
    EXPECT_EQ(session->eventCounts()[0].second, 1);
    EXPECT_EQ(session->eventLog().size(), 102U);

    for (int i = 0; i < 11; ++i) {
        session->recordError("id", "message", std::exception_ptr());
    }
    EXPECT_EQ(session->errors().size(), 10U);
    EXPECT_EQ(session->totalErrorCount(), 11);
    EXPECT_EQ(session->errors()[0].exception, "nil");

    // The same impression is replaced in place.
    auto first = TallioAdImpression::make(5, "zelvan");
    session->recordAdImpression(first);
    session->recordAdImpression(TallioAdImpression::make(6, "other"));
    session->recordAdImpression(first);
    ASSERT_EQ(session->adLog().size(), 2U);
    EXPECT_EQ(session->adLog()[0], first);

    // A session one short of the log's caps (made from its archive).
    auto small = TallioSession::initWithAPIKey(kKey, "1.0");
    small->recordEvent("a");
    auto value = small->archive();
    auto log = fnd::Array::make();
    auto ads = fnd::Array::make();
    for (int i = 0; i < 999; ++i) {
        log->addObject(fnd::Value::dictionary({{"name", "a"}}));
        ads->addObject(TallioAdImpression::make(i, "h")->archive());
    }
    value.asDictionary()->setObject(log, "eventLog");
    value.asDictionary()->setObject(ads, "adLog");
    value.asDictionary()->setObject(fnd::Value::array({fnd::Value::array({"a", 999})}), "eventCounts");
    auto full = TallioSession::unarchive(value);
    ASSERT_TRUE(full.ok()) << full.error().localizedDescription();
    auto near = full.value();
    near->setEventLoggingEnabled(true);
    near->recordEvent("a");
    EXPECT_EQ(near->eventLog().size(), 1000U);
    EXPECT_TRUE(near->eventLogComplete());
    near->recordEvent("a"); // the 1001st event: counted, not logged
    EXPECT_EQ(near->eventLog().size(), 1000U);
    EXPECT_FALSE(near->eventLogComplete());
    EXPECT_EQ(near->eventCounts()[0].second, 1001);
    near->recordAdImpression(TallioAdImpression::make(1, "last"));
    near->recordAdImpression(TallioAdImpression::make(2, "over"));
    ASSERT_EQ(near->adLog().size(), 1000U);
    EXPECT_EQ(near->adLog().back()->hook(), "last");

    // What was saved, once the delayed write has run, reads back the same.
    fnd::RunLoop::main().advance(TallioSession::kSaveDelay);
    auto saved = fnd::readFile(TallioSession::currentSessionFilePath(kKey));
    ASSERT_TRUE(saved.has_value());
    auto back = TallioSession::readSessionArchive(*saved);
    ASSERT_TRUE(back.ok()) << back.error().localizedDescription();
    EXPECT_EQ(back.value()->data(), near->data());
}

TEST_F(ReportTest, ExceptionTextsAndImpressionUpdates) {
    auto ctx = newRun();
    auto session = TallioSession::createActiveTallioSession(*ctx, kKey);
    session->recordError("E1", "failed", std::make_exception_ptr(std::runtime_error("boom")));
    fnd::Error error("domain", 3);
    session->recordError("E2", "also", &error);
    EXPECT_EQ(session->errors()[0].exception, "std::runtime_error: boom");
    EXPECT_EQ(session->errors()[1].exception, error.localizedDescription() + ": " + error.localizedFailureReason());

    clock_->advance(1.5);
    auto impression = TallioAdImpression::initWithHook(ctx, "zelvan");
    TallioAd ad;
    ad.adId = 77;
    ad.canvasId = 88;
    ad.adCookie = {1, 2, 3};
    impression->updateWithAd(ad);
    impression->updateWithResult(TallioAdImpression::kTapped);
    ASSERT_EQ(session->adLog().size(), 1U);
    session->endSession(*ctx);
    auto report = decode(TallioSession::dataForSessions(*ctx, TallioSession::savedSessions(*ctx), true));
    ASSERT_EQ(report.sessions.size(), 1U);
    ASSERT_EQ(report.sessions[0].impressions.size(), 1U);
    const auto& shown = report.sessions[0].impressions[0];
    EXPECT_EQ(shown.sinceStart, 1500);
    EXPECT_EQ(shown.hook, "zelvan");
    EXPECT_EQ(shown.adId, 77);
    EXPECT_EQ(shown.canvasId, 88);
    EXPECT_EQ(shown.cookie, std::string("\x01\x02\x03", 3));
    EXPECT_EQ(shown.result, 2);
    EXPECT_EQ(report.sessions[0].errors[1].errorId, "E2");

    // Lengths are differences of dates, truncated, also once archived and read back: a start 0.0009765625 s
    // past a whole millisecond and an end (or impression) 499.0234375 ms later make 499, not 500.
    clock_->advance(0.0009765625);
    auto brief = TallioSession::createActiveTallioSession(*ctx, kKey);
    clock_->advance(0.4990234375);
    EXPECT_EQ(TallioAdImpression::initWithHook(ctx, "zelvan")->timeIntervalSinceSessionStart(), 499);
    brief->endSession(*ctx);
    EXPECT_EQ(brief->sessionLength(), 499);

    // A session of 30 days: its length does not wrap at 32 bits.
    auto month = TallioSession::initWithAPIKey(kKey, "1.0");
    clock_->advance(30 * 86400.0);
    month->endSession(*ctx);
    EXPECT_EQ(month->sessionLength(), int64_t{30} * 86400 * 1000);
}

TEST_F(ReportTest, TheNextStartMeasuresAStoredSessionBetweenItsExactDates) {
    // Started 0.0009765625 s past a whole millisecond and ended 499.0234375 ms later: 499 ms, where the
    // whole milliseconds archived beside the dates differ by 500.
    auto ctx = newRun();
    clock_->advance(0.0009765625);
    auto session = TallioSession::createActiveTallioSession(*ctx, kKey);
    clock_->advance(0.4990234375);
    session->endSession(*ctx);
    auto stored = fnd::readFile(TallioSession::sessionsFilePath(kKey));
    ASSERT_TRUE(stored.has_value());

    newRun();
    TallioAPI::startSession(kKey);
    context_->waitForUpload();
    auto report = lastReport();
    ASSERT_EQ(report.sessions.size(), 1U);
    EXPECT_EQ(report.sessions[0].length, 499);

    // The stored list as an earlier build wrote it, without the dates, reads as it did: 500.
    auto list = loads(*stored);
    ASSERT_TRUE(list.ok());
    auto sessions = list.value().asDictionary()->objectForKey("sessions").asArray();
    ASSERT_TRUE(sessions && sessions->count() == 1);
    auto old = sessions->objectAtIndex(0).asDictionary();
    ASSERT_TRUE(old && old->removeObjectForKey("startDate") && old->removeObjectForKey("endDate"));
    auto back = TallioSession::readStoredArchive(dumps(list.value()));
    ASSERT_TRUE(back.ok()) << back.error().localizedDescription();
    ASSERT_EQ(back.value().size(), 1U);
    EXPECT_FALSE(back.value()[0]->startDate().has_value());
    EXPECT_EQ(back.value()[0]->sessionLength(), 500);
}

TEST_F(ReportTest, RandomSessionsRoundTripToTheSameBytes) {
    newRun();
    std::mt19937 random(7);
    auto word = [&](int most) {
        std::string text;
        for (int n = static_cast<int>(random() % most); n > 0; --n) {
            text += static_cast<char>('a' + random() % 26);
        }
        return text;
    };
    TallioSessions sessions;
    for (int i = 0; i < 20; ++i) {
        clock_->advance(random() % 1000 / 7.0);
        auto s = TallioSession::initWithAPIKey(kKey, word(8));
        for (int e = static_cast<int>(random() % 30); e > 0; --e) {
            s->recordEvent(word(4),
                           random() % 2 ? fnd::Value::dictionary({{word(5), word(5)}, {"n", e}}) : fnd::Value());
        }
        for (int e = static_cast<int>(random() % 12); e > 0; --e) {
            s->recordErrorText(word(3), word(10), word(10));
        }
        for (int a = static_cast<int>(random() % 3); a > 0; --a) {
            s->recordAdImpression(TallioAdImpression::make(static_cast<int64_t>(random()), word(6)));
        }
        if (random() % 2) {
            s->setUserID(word(300));
        }
        s->setCrashed(random() % 2 == 0);
        s->setPageViewCount(static_cast<int>(random() % 50));
        sessions.push_back(s);
    }
    auto back = TallioSession::readStoredArchive(TallioSession::storedArchive(sessions));
    ASSERT_TRUE(back.ok()) << back.error().localizedDescription();
    ASSERT_EQ(back.value().size(), sessions.size());
    for (size_t i = 0; i < sessions.size(); ++i) {
        EXPECT_EQ(back.value()[i]->data(), sessions[i]->data()) << i;
    }
    // Kinds are checked: a flag of another kind, or a cap exceeded, is no session.
    auto value = sessions[0]->archive();
    value.asDictionary()->setObject("yes", "crashed");
    EXPECT_FALSE(TallioSession::unarchive(value).ok());
    value = sessions[0]->archive();
    auto errors = fnd::Array::make();
    for (int i = 0; i < 11; ++i) {
        errors->addObject(fnd::Value::array({1, "a", "b", "c"}));
    }
    value.asDictionary()->setObject(errors, "errors");
    EXPECT_FALSE(TallioSession::unarchive(value).ok());
    EXPECT_FALSE(TallioSession::readSessionArchive(fnd::Bytes{0x0D, 0x00}).ok());
}

} // namespace
} // namespace zelvan::tallio::testing
