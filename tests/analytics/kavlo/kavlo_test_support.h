// Shared pieces of the Kavlo client's tests: a fresh application root and bundle with the test's own
// Info.plist, a reachable fake network, a battery, a window for the consent alert, and the ad host's Kavlo
// route on 127.0.0.1, all on a manual clock.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "analytics/kavlo/kavlo_context.h"
#include "analytics/kavlo/kavlo_controller.h"
#include "analytics/kavlo/kavlo_database.h"
#include "analytics/kavlo/kavlo_messenger.h"
#include "analytics/kavlo/kavlo_wiring.h"
#include "platform/device/testing/device_simulators.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/window.h"
#include "reachability/reachability.h"
#include "tests/support/scoped_app_delegate.h"
#include "tools/devserver/dev_ads_kavlo.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::kavlo::testing {

struct PlistSettings {
    std::string applicationId = "test-app";
    std::string logLevel = "<integer>16</integer>";
    bool notifyUser = false;
};

class KavloTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        root_ = std::make_unique<fnd::testing::ScopedAppRoot>();
        reach_ = fnd::testing::FakeReachability::install();
        reach_->setFlagsForAddress(0, fnd::ReachabilityFlag::Reachable);
        battery_.set(0.5, device::BatteryState::Full);
        record_ = devserver::addKavloRoutes(ads_);
        ASSERT_TRUE(ads_.start());
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
    }
    void TearDown() override {
        while (auto panel = ui::testing::AlertDriver::visible()) {
            panel->dismissWithClickedButtonIndex(-1, ui::Animated::No);
        }
        record_->releaseStalls();
        endRun();
        window_->setHidden(true);
        fnd::RunLoop::main().runUntilIdle();
        ads_.stop();
        ::unsetenv("ZELVAN_BUNDLE");
        fnd::Bundle::resetMain();
        root_.reset();
        fnd::Clock::install(nullptr);
    }

    // The main bundle becomes a folder of the root holding an Info.plist with `settings`.
    void bundleWith(const PlistSettings& settings) {
        const auto folder = std::filesystem::path(root_->root()) / "Kavlo.app";
        std::filesystem::create_directories(folder);
        std::string plist = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                            "<key>CFBundleName</key><string>Zelvan</string>\n"
                            "<key>CFBundleVersion</key><string>1.0 beta</string>\n";
        if (!settings.applicationId.empty()) {
            plist += "<key>MCApplicationId</key><string>" + settings.applicationId + "</string>\n";
        }
        plist += "<key>MCLogLevel</key>" + settings.logLevel + "\n";
        plist += std::string("<key>MCNotifyUser</key>") + (settings.notifyUser ? "<true/>" : "<false/>") + "\n";
        plist += "</dict>\n</plist>\n";
        ASSERT_TRUE(fnd::writeFile((folder / "Info.plist").string(), fnd::Bytes(plist.begin(), plist.end())));
        ::setenv("ZELVAN_BUNDLE", folder.c_str(), 1);
        fnd::Bundle::resetMain();
    }

    // A new run of the application: a new context (its server the ad host, or `adsBase`) in a new registry.
    std::shared_ptr<KavloContext> newRun(std::string adsBase = "-") {
        endRun();
        monitor_ = std::make_shared<Reachability>();
        context_ = makeKavlo(monitor_, NetworkEndpoint(adsBase == "-" ? ads_.baseURL() : adsBase, "/kavlo"));
        AppRegistry registry;
        registry.kavlo.factory = ServiceSlot<KavloContext>::fixed(context_);
        delegate_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
        return context_;
    }
    void endRun() {
        if (context_) {
            if (auto messenger = context_->messenger()) {
                messenger->stop();
            }
        }
        delegate_.reset();
        context_.reset();
    }

    // Waits (real time, bounded) for the current sync thread to end.
    void waitForSync() {
        auto messenger = context_->messenger();
        ASSERT_NE(messenger, nullptr);
        ASSERT_TRUE(messenger->waitForSync(10));
    }

    // The queue's first batch (up to 50 rows) as the text the server would receive; "" when empty.
    std::string queued() {
        auto batch = context_->database()->selectMessage();
        return batch.isNull() ? std::string() : batch.asDictionary()->objectForKey("MESSAGE_JSON").stringValue();
    }
    int64_t queuedCount() {
        auto batch = context_->database()->selectMessage();
        return batch.isNull() ? 0 : batch.asDictionary()->objectForKey("MESSAGE_COUNT").longLongValue();
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::unique_ptr<fnd::testing::ScopedAppRoot> root_;
    std::shared_ptr<fnd::testing::FakeReachability> reach_;
    device::testing::BatterySimulator battery_;
    devserver::DevAdsServer ads_;
    std::shared_ptr<devserver::DevKavloRecord> record_;
    std::shared_ptr<ui::Window> window_;
    std::shared_ptr<Reachability> monitor_;
    std::shared_ptr<KavloContext> context_;
    std::unique_ptr<ScopedAppDelegate> delegate_;
};

} // namespace zelvan::kavlo::testing
