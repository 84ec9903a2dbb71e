// The Kavlo controller: settings from Info.plist, the session and environment records, consent, the event
// records, battery and location values, and termination.
#include "analytics/kavlo/kavlo_controller.h"

#include <gtest/gtest.h>

#include "analytics/kavlo/kavlo_strings.h"
#include "app/services.h"
#include "platform/device/device.h"
#include "platform/foundation/format.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "tests/analytics/kavlo/kavlo_test_support.h"

namespace zelvan::kavlo {
namespace {

using testing::KavloTest;
using testing::PlistSettings;
using ui::testing::AlertDriver;

std::string text(const fnd::Value& dictionary, std::string_view key) {
    return dictionary.asDictionary()->objectForKey(key).stringValue();
}

TEST_F(KavloTest, RecordsOfAStartWithoutConsentQuestion) {
    bundleWith({});
    newRun("");
    auto controller = KavloController::getInstance();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(KavloController::getInstance(), controller);
    EXPECT_TRUE(controller->isKavloEnabledKnown());
    EXPECT_TRUE(controller->isKavloEnabled());
    EXPECT_FALSE(AlertDriver::visible());

    const auto info = controller->infoDictionary();
    const auto session = info.asDictionary()->objectForKey("a");
    const auto environment = info.asDictionary()->objectForKey("h");
    const double ms = fnd::Clock::now().since1970() * 1000.0;
    EXPECT_EQ(text(session, "c"), fnd::format("%lf", ms));
    const std::string device = device::Device::current().uniqueIdentifier();
    EXPECT_EQ(text(session, "b"), MCCreateSHA1String(fnd::format("%@%lf", device, ms)));
    EXPECT_EQ(text(session, "bs"), "f");
    EXPECT_EQ(text(session, "bl"), "0.500000");
    EXPECT_EQ(text(environment, "i"), "3.1.0");
    EXPECT_EQ(text(environment, "j"), "test-app");
    EXPECT_EQ(text(environment, "7"), "1.0 beta");
    EXPECT_EQ(text(environment, "p"), device);
    EXPECT_EQ(text(environment, "o"), "LinuxDevice 3.1");
    EXPECT_FALSE(text(environment, "aa").empty());
    EXPECT_FALSE(text(environment, "ab").empty());

    // The environment row, then the start event at level 32.
    const std::string queue = queued();
    EXPECT_EQ(queuedCount(), 2);
    EXPECT_NE(queue.find("{\"h\":{\"a\":{\"b\":\"" + text(session, "b")), std::string::npos) << queue;
    EXPECT_NE(queue.find("{\"q\":{\"t\":\"32\",\"r\":\"KAVLO_APPLICATION_PROCESS\",\"8\":\"KAVLO_APPLICATION_EVENT\""),
              std::string::npos)
        << queue;
    EXPECT_NE(queue.find(" STARTED\""), std::string::npos);
    EXPECT_NE(queue.find("\"w\":\"0\",\"a\":{\"b\""), std::string::npos);

    // Battery states follow the device's notifications; a fix with negative accuracy has no coordinates.
    battery_.set(0.25, device::BatteryState::Unknown);
    fnd::RunLoop::main().advance(device::Device::kBatteryPollInterval);
    EXPECT_EQ(text(controller->session(), "bs"), "null");
    EXPECT_EQ(text(controller->session(), "bl"), "0.250000");
    auto fix = device::Location::initWithLatitude(52.5, 13.25);
    Kavlo::updateLocation(fix);
    EXPECT_EQ(text(controller->session(), "d"), "52.500000");
    EXPECT_EQ(text(controller->session(), "e"), "13.250000");
    fix->horizontalAccuracy = -1;
    controller->updateLocation(fix);
    EXPECT_EQ(text(controller->session(), "d"), "null");
    EXPECT_EQ(text(controller->session(), "e"), "null");

    // The connection thread took its first sample at once: the fake network is Wi-Fi.
    EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return text(controller->session(), "g") == "WiFi"; }));
}

TEST_F(KavloTest, LogLevelsAndAMissingApplicationId) {
    for (auto [level, expected] : {std::pair{"<integer>0</integer>", 1}, std::pair{"<integer>-3</integer>", 1},
                                   std::pair{"<string>17</string>", 16}, std::pair{"<integer>16</integer>", 16}}) {
        bundleWith({.logLevel = level});
        newRun("");
        auto controller = KavloController::getInstance();
        ASSERT_NE(controller, nullptr);
        EXPECT_EQ(controller->logLevel(), expected) << level;
    }
    // At 16 only events of level 16 and above are kept (levels compare unsigned: -1 is kept too).
    const int64_t before = queuedCount();
    fnd::testing::LogCapture log;
    Kavlo::logEventWithLevel(15, "proc", "low", "dropped", false);
    Kavlo::logEventWithLevel(16, "proc", "high", "kept", true);
    EXPECT_EQ(queuedCount(), before + 1);
    EXPECT_TRUE(log.contains("proc, high: kept"));
    EXPECT_NE(queued().find("\"t\":\"16\",\"r\":\"proc\",\"8\":\"high\",\"s\":\"kept\""), std::string::npos);
    EXPECT_NE(queued().find("\"w\":\"1\""), std::string::npos);

    bundleWith({.applicationId = ""});
    newRun();
    fnd::testing::LogCapture errors;
    Kavlo::start();
    Kavlo::logEventWithLevel(32, "proc", "event", "nothing", false);
    EXPECT_EQ(KavloController::getInstance(), nullptr);
    EXPECT_EQ(errors.count("Application Id not specified"), 1u);
    EXPECT_EQ(context_->database(), nullptr);
}

TEST_F(KavloTest, ConsentAlertAndStoredAnswers) {
    bundleWith({.notifyUser = true});
    newRun();
    auto controller = KavloController::getInstance();
    ASSERT_NE(controller, nullptr);
    EXPECT_FALSE(controller->isKavloEnabledKnown());
    auto alert = AlertDriver::visibleAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->message(), "\"Zelvan\" would like to gather anonymous usage statistics");
    // Unsettled consent starts no sync.
    EXPECT_EQ(record_->batches().size(), 0u);

    ASSERT_TRUE(AlertDriver::tap("Don't Allow"));
    EXPECT_TRUE(controller->isKavloEnabledKnown());
    EXPECT_FALSE(controller->isKavloEnabled());
    EXPECT_FALSE(fnd::UserDefaults::standard().boolForKey("isKavloEnabled"));
    // The queue was emptied and holds a fresh environment row alone; events are dropped now.
    EXPECT_EQ(queuedCount(), 1);
    EXPECT_EQ(queued().find("STARTED"), std::string::npos);
    Kavlo::logEventWithLevel(32, "proc", "event", "dropped", false);
    EXPECT_EQ(queuedCount(), 1);

    // The stored NO on the next run: no alert, no sample, the connection type stays "null".
    newRun();
    controller = KavloController::getInstance();
    EXPECT_FALSE(AlertDriver::visible());
    EXPECT_TRUE(controller->isKavloEnabledKnown());
    EXPECT_FALSE(controller->isKavloEnabled());
    EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !controller->isConnectionThreadRunning(); }));
    EXPECT_EQ(text(controller->session(), "g"), "null");

    // "OK" on a fresh question stores YES and uploads at once.
    fnd::UserDefaults::standard().removeObjectForKey("isKavloEnabled");
    newRun();
    controller = KavloController::getInstance();
    ASSERT_TRUE(AlertDriver::tap("OK"));
    EXPECT_TRUE(controller->isKavloEnabled());
    EXPECT_TRUE(fnd::UserDefaults::standard().boolForKey("isKavloEnabled"));
    waitForSync();
    ASSERT_EQ(record_->batches().size(), 1u);
    EXPECT_NE(record_->batches()[0].json.find("STARTED"), std::string::npos);
    EXPECT_EQ(queuedCount(), 1);
}

TEST_F(KavloTest, TheFeatureStarterAndTermination) {
    bundleWith({});
    newRun("");
    // The application's "kavlo" feature starter, run twice, makes one controller with one start event.
    auto starters = app::makeRegistry().adFeatureStarters;
    ASSERT_TRUE(starters.count("kavlo"));
    starters["kavlo"](**delegate_, LoginSession{});
    starters["kavlo"](**delegate_, LoginSession{});
    auto controller = context_->controller();
    ASSERT_NE(controller, nullptr);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return text(controller->session(), "g") == "WiFi"; }));
    EXPECT_TRUE(controller->isConnectionThreadRunning());
    ui::Application::shared().terminate();
    EXPECT_FALSE(controller->isConnectionThreadRunning());
    const std::string queue = queued();
    EXPECT_EQ(queuedCount(), 3) << queue;
    EXPECT_NE(queue.find(" STOPPED\",\"u\""), std::string::npos) << queue;
    EXPECT_NE(queue.find("\"w\":\"1\""), std::string::npos);
}

} // namespace
} // namespace zelvan::kavlo
