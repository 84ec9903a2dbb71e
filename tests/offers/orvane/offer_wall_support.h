// Shared fixture of the offer wall tests: the widget fixture (manual clock, key window) with synthetic
// text metrics and an offer context whose service is the dev server's fake offer service on 127.0.0.1.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/app_registry.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/offers/orv_icon_reads.h"
#include "offers/orvane/offers/orv_offer_list.h"
#include "offers/orvane/orvane_wiring.h"
#include "platform/device/device.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/notification_center.h"
#include "platform/graphics/backends.h"
#include "platform/graphics/text_metrics.h"
#include "platform/ui/application.h"
#include "platform/ui/testing/alert_driver.h"
#include "tests/offers/orvane/widget_test_support.h"
#include "tests/support/scoped_app_delegate.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::orvane::widget_test {

// Counts the notifications of one name.
struct Heard {
    explicit Heard(const char* name)
        : token(fnd::NotificationCenter::defaultCenter().addObserver(name, fnd::Value(),
                                                                     [this](const auto&) { ++count; })) {}
    int count = 0;
    fnd::ObserverToken token;
};

class OfferWallTest : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        gfx::installTextMetrics(std::make_shared<gfx::SyntheticMetrics>());
        device::Device::current().deviceDidRotate(device::DeviceOrientation::Portrait);
        ui::Application::shared().clearOpenedUrls();
        devserver::addOrvaneRoutes(ads_, service_);
        ASSERT_TRUE(ads_.start());
        context_ =
            makeOrvane(NetworkEndpoint(ads_.baseURL(), "/orvane"), fnd::Bundle::main().resourcePath(), goodsStorePath_);
        context_->setDeviceId("device-1");
        AppRegistry registry;
        registry.orvane.factory = ServiceSlot<OrvaneContext>::fixed(context_);
        delegate_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
    }
    void TearDown() override {
        while (ui::testing::AlertDriver::visible()) {
            ui::testing::AlertDriver::tap(0);
        }
        service_->releaseStalls();
        // Icon reads of this test end here, while the service still answers.
        pump([] { return ORVIconReads::inFlight() == 0 && ORVIconReads::waiting() == 0; }, 20);
        pump([] { return false; }, 0.2);
        fnd::RunLoop::main().runUntilIdle();
        ads_.stop();
        ui::Application::shared().clearOpenedUrls();
        gfx::installTextMetrics(nullptr);
        delegate_.reset();
        WidgetTest::TearDown();
    }
    static bool pump(const std::function<bool()>& until, double seconds = 20.0) {
        return fnd::RunLoop::main().pumpUntil(until, seconds);
    }
    // The requests of the path the fake answered so far.
    std::vector<devserver::DevAdsRequest> requestsOf(const std::string& path) {
        std::vector<devserver::DevAdsRequest> out;
        for (auto& r : ads_.requests()) {
            if (r.path == path) {
                out.push_back(r);
            }
        }
        return out;
    }
    size_t clicks() { return requestsOf("/orvane/Service1.asmx/SubmitOfferClick").size(); }
    // The fake service's offer list.
    ORVOfferList offerList() {
        std::optional<ORVOfferList> list;
        bool done = false;
        requestOfferList("pts-1001", 0, 100, [&](std::optional<ORVOfferList> l) {
            list = std::move(l);
            done = true;
        });
        EXPECT_TRUE(pump([&] { return done; }));
        return list.value_or(ORVOfferList{});
    }

    devserver::DevAdsServer ads_;
    std::shared_ptr<devserver::DevOrvaneService> service_ = std::make_shared<devserver::DevOrvaneService>();
    // Where the context's store of bought goods is (the default when empty); set before SetUp.
    std::string goodsStorePath_;
    std::shared_ptr<OrvaneContext> context_;
    std::unique_ptr<ScopedAppDelegate> delegate_;
};

} // namespace zelvan::orvane::widget_test
