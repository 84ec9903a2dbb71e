// Demographics, comments and ratings: the checks of each key table, the stored records, and the
// demographics kept for later ad requests.
#include "analytics/kavlo/kavlo_demographics.h"

#include <gtest/gtest.h>

#include "platform/foundation/date_formatter.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/testing/log_capture.h"
#include "tests/analytics/kavlo/kavlo_test_support.h"

namespace zelvan::kavlo {
namespace {

using testing::KavloTest;

TEST_F(KavloTest, DemographicsKeepOnlyValidEntries) {
    bundleWith({.notifyUser = true});
    newRun("");
    auto controller = KavloController::getInstance();
    // Declined usage statistics do not hold back these records.
    ASSERT_TRUE(ui::testing::AlertDriver::tap("Don't Allow"));
    fnd::DateFormatter parser("yyyy-MM-dd hh:mm:ss", fnd::Locale::current(), fnd::TimeZone::local());
    const auto birth = parser.dateFromString("1990-03-05 11:30:00");
    ASSERT_TRUE(birth.has_value());
    fnd::testing::LogCapture log;
    auto record = KavloDemographics::demographics(fnd::Value::dictionary({
        {"kMCDemographicsBirthdate", *birth},
        {"kMCDemographicsGender", "2"},
        {"kMCDemographicsDatingGender", "3"},
        {"kMCDemographicsMaritalStatus", "4"},
        {"kMCDemographicsIncome", 42},
        {"kMCDemographicsAreaCode", "42"},
        {"kMCDemographicsCity", "Lund"},
        {"kMCDemographicsReligion", 3},
        {"kMCDemographicsShoeSize", "44"},
    }));
    const auto& entries = *record.asDictionary();
    EXPECT_EQ(entries.objectForKey("dbd").stringValue(), "19900305");
    EXPECT_EQ(entries.objectForKey("dg").stringValue(), "2");
    EXPECT_EQ(entries.objectForKey("ddg").stringValue(), "3");
    EXPECT_EQ(entries.objectForKey("dic").stringValue(), "42");
    EXPECT_EQ(entries.objectForKey("dci").stringValue(), "Lund");
    EXPECT_FALSE(entries.containsKey("dms"));
    EXPECT_FALSE(entries.containsKey("dac"));
    EXPECT_FALSE(entries.containsKey("drl"));
    EXPECT_TRUE(log.contains("Kavlo Demographics Error: kMCDemographicsShoeSize is not a valid demographics key."));
    EXPECT_TRUE(log.contains("Kavlo Demographics Error: Invalid value for demographics key kMCDemographicsAreaCode."));
    EXPECT_EQ(log.count("Kavlo Demographics Error"), 4u);
    EXPECT_NE(queued().find("{\"9\":{\"dbd\":\"19900305\",\"dg\":\"2\""), std::string::npos) << queued();
    EXPECT_EQ(controller->infoDictionary().asDictionary()->objectForKey("9").asDictionary()->count(), entries.count());

    // Nothing valid: an empty record (with the session) still replaces the ad requests' demographics.
    KavloDemographics::demographics(fnd::Value::dictionary({{"kMCDemographicsGender", "3"}}));
    auto kept = controller->infoDictionary().asDictionary()->objectForKey("9");
    EXPECT_FALSE(kept.asDictionary()->containsKey("dg"));
    EXPECT_TRUE(kept.asDictionary()->containsKey("a"));
}

TEST_F(KavloTest, CommentsAndRatings) {
    bundleWith({});
    newRun("");
    KavloController::getInstance();
    fnd::testing::LogCapture log;
    KavloFeedback::comment("Fine \"game\"");
    auto record = KavloFeedback::ratings(fnd::Value::dictionary({
        {"kMCFeedbackFun", "5"},
        {"kMCFeedbackValue", "0"},
        {"kMCFeedbackOverall", "6"},
        {"kMCFeedbackUsability", "-1"},
        {"kMCFeedbackAppearance", 3},
        {"kMCFeedbackSpeed", "2"},
    }));
    const auto& entries = *record.asDictionary();
    EXPECT_EQ(entries.objectForKey("1").stringValue(), "5");
    EXPECT_EQ(entries.objectForKey("6").stringValue(), "0");
    EXPECT_FALSE(entries.containsKey("2"));
    EXPECT_FALSE(entries.containsKey("5"));
    EXPECT_FALSE(entries.containsKey("0"));
    EXPECT_TRUE(log.contains("Kavlo Feedback Error: 6 is not a valid value for rating key kMCFeedbackOverall."));
    EXPECT_TRUE(log.contains("Kavlo Feedback Error: -1 is not a valid value for rating key kMCFeedbackUsability."));
    EXPECT_TRUE(log.contains("Kavlo Feedback Error: Object for rating key kMCFeedbackAppearance is not a NSString"));
    EXPECT_TRUE(log.contains("Kavlo Feedback Error: kMCFeedbackSpeed is not a valid rating key."));
    const std::string queue = queued();
    EXPECT_NE(queue.find("{\"x\":{\"y\":\"Fine \\\"game\\\"\",\"a\":{"), std::string::npos) << queue;
    EXPECT_NE(queue.find("{\"z\":{\"1\":\"5\",\"6\":\"0\",\"a\":{"), std::string::npos) << queue;
}

} // namespace
} // namespace zelvan::kavlo
