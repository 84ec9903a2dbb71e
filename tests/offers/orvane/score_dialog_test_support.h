// Shared fixture of the score card and submit-score dialog tests: the skinned widget fixture with the dev
// server's fake offer service, a facade, a fresh application root (user defaults) and helpers to find and
// tap a titled button, record notifications in order and write a screenshot for a person to look at.
#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/orvane_wiring.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/button.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/screenshot.h"
#include "tests/offers/orvane/kit_widget_support.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::orvane::widget_test {

// Every notification of the given names, in the order heard.
struct HeardInOrder {
    explicit HeardInOrder(const std::vector<std::string>& names) {
        for (const auto& name : names) {
            tokens.push_back(fnd::NotificationCenter::defaultCenter().addObserver(
                name, fnd::Value(), [this](const fnd::Notification& n) { heard.push_back(n.name); }));
        }
    }
    int count(const std::string& name) const { return static_cast<int>(std::count(heard.begin(), heard.end(), name)); }
    std::vector<std::string> heard;
    std::vector<fnd::ObserverToken> tokens;
};

class ScoreDialogTest : public KitWidgetTest {
protected:
    void SetUp() override {
        root_ = std::make_unique<fnd::testing::ScopedAppRoot>();
        KitWidgetTest::SetUp();
        devserver::addOrvaneRoutes(ads_, service_);
        ASSERT_TRUE(ads_.start());
        delegate_.reset();
        context_ = makeOrvane(NetworkEndpoint(ads_.baseURL(), "/orvane"), fnd::Bundle::main().resourcePath());
        AppRegistry registry;
        registry.orvane.factory = ServiceSlot<OrvaneContext>::fixed(context_);
        delegate_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
        facade_ = context_->makeFacade();
        context_->setFacade(facade_);
    }
    void TearDown() override {
        while (auto panel = ui::testing::AlertDriver::visible()) {
            panel->dismissWithClickedButtonIndex(0, ui::Animated::No);
        }
        service_->releaseStalls();
        fnd::RunLoop::main().runUntilIdle();
        ads_.stop();
        facade_.reset();
        KitWidgetTest::TearDown();
        root_.reset();
    }
    static bool pump(const std::function<bool()>& until) { return fnd::RunLoop::main().pumpUntil(until, 20.0); }

    std::vector<devserver::DevAdsRequest> requestsOf(const std::string& method) {
        std::vector<devserver::DevAdsRequest> out;
        for (auto& r : ads_.requests()) {
            if (r.path == "/orvane/Service1.asmx/" + method) {
                out.push_back(r);
            }
        }
        return out;
    }

    // The first button under `root` titled `title`, or null.
    static std::shared_ptr<ui::Button> button(const std::shared_ptr<ui::View>& root, const std::string& title) {
        if (!root) {
            return nullptr;
        }
        if (auto found = std::dynamic_pointer_cast<ui::Button>(root)) {
            if (found->titleForState(ui::ControlState::Normal) == title) {
                return found;
            }
        }
        for (const auto& sub : root->subviews()) {
            if (auto found = button(sub, title)) {
                return found;
            }
        }
        return nullptr;
    }
    // Taps the button titled `title` under `root` with a finger; false when there is none.
    bool tap(const std::shared_ptr<ui::View>& root, const std::string& title) {
        auto found = button(root, title);
        if (!found) {
            return false;
        }
        TouchDriver::tap(window_, centerInWindow(*found));
        return true;
    }

    // The front alert's title, message and first button, then taps that button.
    static std::string answerAlert() {
        auto alert = ui::testing::AlertDriver::visibleAlert();
        if (!alert) {
            return "(no alert)";
        }
        const std::string seen =
            alert->title() + "|" + alert->message() + "|" + alert->buttonTitleAtIndex(0).value_or("");
        ui::testing::AlertDriver::tap(0);
        return seen;
    }

    // Writes what the window shows to screenshots/<name>.
    void shoot(const std::string& name) { EXPECT_TRUE(ui::testing::saveScreenshot(*window_, name)); }

    std::unique_ptr<fnd::testing::ScopedAppRoot> root_;
    devserver::DevAdsServer ads_;
    std::shared_ptr<devserver::DevOrvaneService> service_ = std::make_shared<devserver::DevOrvaneService>();
    std::shared_ptr<OrvaneConnect> facade_;
};

} // namespace zelvan::orvane::widget_test
