// The canvas screen a touched hook ad opens, against the ad host on 127.0.0.1: the page load, the panel
// of further hook ads, the store link's redirects, and the way back to the host screen.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "analytics/tallio/tallio_ad_canvas_view_controller.h"
#include "analytics/tallio/tallio_ad_impression.h"
#include "analytics/tallio/tallio_ad_parser.h"
#include "analytics/tallio/tallio_ad_view.h"
#include "analytics/tallio/tallio_api.h"
#include "analytics/tallio/tallio_session.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/application.h"
#include "platform/ui/controller_transition.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/window.h"
#include "tallio_test_support.h"
#include "tools/devserver/dev_ads_server.h"
#include "tools/devserver/dev_ads_tallio.h"
#include "tools/devserver/dev_tallio_reply.h"

namespace zelvan::tallio {
namespace {

using testing::kKey;

class TallioCanvasTest : public testing::TallioTest {
protected:
    void SetUp() override {
        TallioTest::SetUp();
        host_ = devserver::addTallioRoutes(ads_);
        ASSERT_TRUE(ads_.start());
        newRun(ads_.baseURL());
        session_ = TallioSession::createActiveTallioSession(*context_, kKey);
        const std::string reply = devserver::devTallioReply();
        context_->adParser()->parseData({reinterpret_cast<const uint8_t*>(reply.data()), reply.size()});
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
    }
    void TearDown() override {
        ui::Application::shared().setStatusBarHidden(false);
        window_->setRootViewController(nullptr);
        window_->setHidden(true);
        fnd::RunLoop::main().runUntilIdle();
        window_.reset();
        TallioTest::TearDown();
    }
    static void settle() { fnd::RunLoop::main().advance(ui::ControllerTransition::kDuration); }
    std::shared_ptr<TallioAdView> banner(const std::shared_ptr<ui::ViewController>& screen) {
        return std::dynamic_pointer_cast<TallioAdView>(TallioAPI::getHook("zelvan", 0, 0, screen, false, nullptr));
    }

    devserver::DevAdsServer ads_;
    std::shared_ptr<devserver::DevTallioRecord> host_;
    std::shared_ptr<TallioSession> session_;
    std::shared_ptr<ui::Window> window_;
};

TEST_F(TallioCanvasTest, PushedCanvasLoadsOnceAndLaysOnePanel) {
    auto home = std::make_shared<ui::ViewController>();
    auto nav = ui::NavigationController::initWithRootViewController(home);
    window_->setRootViewController(nav);
    auto view = banner(nav);
    ASSERT_TRUE(view && view->ad());
    view->touchesBegan({}, nullptr);
    settle();
    auto canvas = std::dynamic_pointer_cast<TallioAdCanvasViewController>(nav->topViewController());
    ASSERT_TRUE(canvas);
    EXPECT_EQ(canvas->title(), "Info");
    EXPECT_EQ(canvas->appViewController(), home);
    EXPECT_FALSE(canvas->isModal());
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return canvas->listView() != nullptr; }, 20));
    EXPECT_EQ(view->adImpression()->adResult(), TallioAdImpression::kCanvasOpened);
    auto queries = host_->canvasQueries();
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0].find("apik")->second, kKey);
    EXPECT_EQ(queries[0].find("adid")->second, std::to_string(view->ad()->adId));
    EXPECT_EQ(queries[0].find("ac")->second, view->ad()->adCookieString());
    EXPECT_EQ(queries[0].find("hid")->second, "zelvan");

    // The panel: limits 282 and 522 with the status bar shown; two rows from the two-ad block.
    auto panel = canvas->listView();
    EXPECT_EQ(panel->upperLocationLimit, 282);
    EXPECT_EQ(panel->lowerLocationLimit, 522);
    ASSERT_EQ(canvas->rows().size(), 5u);
    int shown = 0;
    for (const auto& row : canvas->rows()) {
        shown += row->isHidden() ? 0 : 1;
        EXPECT_TRUE(!row->ad() || row->ad()->adId != view->ad()->adId);
    }
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(testing::saveShot(*canvas->view(), "tallio-canvas.png"));
    EXPECT_EQ(canvas->rows()[1]->frame(), gfx::Rect(0, 77, 320, 48));
    const double height = canvas->webView()->frame().size.height;
    const double centre = panel->center().y;
    panel->dragByYDisplacement(500);
    EXPECT_EQ(panel->center().y, 522);
    EXPECT_DOUBLE_EQ(canvas->webView()->frame().size.height, height + 522 - centre);
    panel->touchesBegan({}, nullptr);
    panel->touchesEnded({}, nullptr); // a tap
    EXPECT_EQ(panel->center().y, 282);

    // A later finished load lays no second panel; a later appearance does not reload.
    canvas->webViewDidFinishLoad(*canvas->webView());
    EXPECT_EQ(panel, canvas->listView());
    EXPECT_EQ(canvas->view()->subviews().size(), 3u);
    canvas->viewWillAppear(ui::Animated::No);
    fnd::RunLoop::main().pumpUntil([] { return false; }, 0.1);
    EXPECT_EQ(host_->canvasQueries().size(), 1u);

    // The store link: refused in the page, requested by the screen, its redirects followed; the system
    // opens the address that answered with the last followed redirect.
    const size_t opened = ui::Application::shared().openedUrls().size();
    const std::string link = ads_.baseURL() + "/tallio/getIPhoneApp.do?app=11";
    auto request = fnd::UrlRequest(*fnd::Url::parse(link));
    EXPECT_FALSE(
        canvas->webViewShouldStartLoadWithRequest(*canvas->webView(), request, ui::NavigationType::LinkClicked));
    EXPECT_EQ(view->adImpression()->adResult(), TallioAdImpression::kAppStoreLinkFollowed);
    ASSERT_TRUE(
        fnd::RunLoop::main().pumpUntil([&] { return ui::Application::shared().openedUrls().size() > opened; }, 20));
    EXPECT_EQ(ui::Application::shared().openedUrls().back(), link);
    EXPECT_EQ(host_->storeRequests(), 1);
    // A link answered without a redirect opens nothing.
    canvas->openReferralURL(*fnd::Url::parse(ads_.baseURL() + "/tallio/getCanvas.do"));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return host_->canvasQueries().size() == 2; }, 20));
    fnd::RunLoop::main().pumpUntil([] { return false; }, 0.2);
    EXPECT_EQ(ui::Application::shared().openedUrls().size(), opened + 1);

    // A canvas opened from a row of this canvas keeps the host screen; "Cancel" pops back to it.
    auto row = canvas->rows()[0]->ad() ? canvas->rows()[0] : canvas->rows()[1];
    row->touchesBegan({}, nullptr);
    settle();
    auto inner = std::dynamic_pointer_cast<TallioAdCanvasViewController>(nav->topViewController());
    ASSERT_TRUE(inner && inner != canvas);
    EXPECT_EQ(inner->appViewController(), home);
    EXPECT_FALSE(inner->isModal());
    inner->cancel();
    settle();
    EXPECT_EQ(nav->topViewController(), home);
}

TEST_F(TallioCanvasTest, ModalCanvasCancelsBackAndFreesItsAssignments) {
    auto home = std::make_shared<ui::ViewController>();
    window_->setRootViewController(home);
    ui::Application::shared().setStatusBarHidden(true);
    auto view = banner(home);
    ASSERT_TRUE(view && view->ad());
    view->touchesBegan({}, nullptr);
    settle();
    ASSERT_TRUE(view->modalNavigationController());
    EXPECT_EQ(home->modalViewController(), view->modalNavigationController());
    std::weak_ptr<TallioAdCanvasViewController> canvas =
        std::dynamic_pointer_cast<TallioAdCanvasViewController>(view->modalNavigationController()->topViewController());
    ASSERT_TRUE(canvas.lock());
    EXPECT_TRUE(canvas.lock()->isModal());
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return canvas.lock()->listView() != nullptr; }, 20));
    // Without the status bar the panel's limits move 20 points down.
    EXPECT_EQ(canvas.lock()->listView()->upperLocationLimit, 302);
    EXPECT_EQ(canvas.lock()->listView()->lowerLocationLimit, 542);
    const std::string name = canvas.lock()->description();
    // The screen holds its own ad: it is not handed out there again.
    EXPECT_FALSE(context_->adParser()->assignAd(view->ad(), name));
    canvas.lock()->cancel();
    settle();
    EXPECT_EQ(home->modalViewController(), nullptr);
    // The banner keeps its navigation controller; once the banner goes the screen is freed.
    auto ad = view->ad();
    view.reset();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_FALSE(canvas.lock());
    EXPECT_TRUE(context_->adParser()->assignAd(ad, name));
}

} // namespace
} // namespace zelvan::tallio
