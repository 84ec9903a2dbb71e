// The page ad slot over the application's own wiring: the feature list's banner networks ("adwick", "orvane",
// "kavlo", "tallio") each offer their banner to the shared ad view, and the first of each list takes it.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "ads/adwick/adwick_ad_source.h"
#include "ads/mediation/mediation_ad_source.h"
#include "ads/zlv_ad_wrapper_view.h"
#include "analytics/kavlo/kavlo_ad_source.h"
#include "analytics/tallio/tallio_hook_ad_source.h"
#include "app/services.h"
#include "app/wiring/networks.h"
#include "platform/foundation/backends.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/foundation/url_connection.h"
#include "platform/ui/alert_panel.h"
#include "tests/support/scoped_app_delegate.h"
#include "tools/devserver/dev_ads_kavlo.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::app {
namespace {

template <class T>
bool holds(const ZLVAdWrapperView& wrapper) {
    return std::dynamic_pointer_cast<T>(wrapper.adSource()) != nullptr;
}

TEST(BannerSlotTest, TheFirstBannerNetworkOfEachFeatureListTakesTheSharedAdView) {
    fnd::testing::ScopedAppRoot root;
    auto reachability = fnd::testing::FakeReachability::install();
    devserver::DevAdsServer server;
    devserver::addAdwickRoutes(server);
    devserver::addKavloRoutes(server);
    ASSERT_TRUE(server.start());
    const size_t loadsBefore = fnd::UrlConnection::loadsInFlight();
    // The application's registry, its offer client left without an endpoint (it sends nothing).
    auto registry = [&] {
        AppRegistry made = makeRegistry(server.baseURL());
        installOrvane(made, NetworkEndpoint());
        installMediation(made, NetworkEndpoint(server.baseURL(), ""));
        return made;
    };
    {
        ScopedAppDelegate app(registry());
        auto starters = registry().adFeatureStarters;
        // One list as the delegate walks it: its starters in one pass of the main loop.
        auto walk = [&](std::initializer_list<const char*> names, int32_t user) {
            LoginSession session;
            session.userId = user;
            for (const char* name : names) {
                starters.at(name)(*app, session);
            }
            fnd::RunLoop::main().runUntilIdle();
        };
        auto wrapper = std::dynamic_pointer_cast<ZLVAdWrapperView>(app->adView());
        ASSERT_TRUE(wrapper);
        EXPECT_TRUE(holds<adwick::AdwickAdSource>(*wrapper)); // until a list chooses

        walk({"kavlo", "orvane"}, 1001);
        EXPECT_TRUE(holds<kavlo::KavloAdSource>(*wrapper));
        // A later list chooses again; its second banner network leaves the view to the first.
        walk({"tallio", "adwick"}, 1001);
        EXPECT_TRUE(holds<tallio::TallioHookAdSource>(*wrapper));
        walk({"adwick"}, 1001);
        EXPECT_TRUE(holds<adwick::AdwickAdSource>(*wrapper));
        walk({"orvane", "kavlo"}, 1002);
        EXPECT_TRUE(holds<mediation::MediationAdSource>(*wrapper));

        for (const auto& panel : ui::AlertPanel::visiblePanels()) {
            panel->dismissWithClickedButtonIndex(panel->cancelButtonIndex(), ui::Animated::No);
        }
        fnd::RunLoop::main().runUntilIdle();
    }
    // The banners' loads end when their answers reach the main loop, even those of views gone. Left in
    // flight past this test, an answer would wait for a real-clock moment that a later test's manual clock
    // never reaches, and its load would stay unfreed to the end of the process.
    EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return fnd::UrlConnection::loadsInFlight() <= loadsBefore; }, 30));
    server.stop();
    fnd::installReachabilityProvider(nullptr);
}

} // namespace
} // namespace zelvan::app
