// The offer details page against the dev server on 127.0.0.1: its layout with and without an icon, the
// completion page and its zoom, the e-mail prompt and what it sends, and the browser link.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "offers/brightpoint/bp_image_cache.h"
#include "offers/brightpoint/bp_navigation_controller.h"
#include "offers/brightpoint/bp_offer_view_controller.h"
#include "offers/brightpoint/bp_web_pages.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/application.h"
#include "platform/ui/navigation_bar.h"
#include "tests/offers/brightpoint/bp_wall_fixture.h"

namespace zelvan::brightpoint {
namespace {

using ui::testing::AlertDriver;

class BPOfferDetailsTest : public BPWallFixture {
protected:
    void SetUp() override {
        BPWallFixture::SetUp();
        configure({"Featured"}, {tabURL("0")});
    }

    fnd::Value offer(bool withIcon, const std::string& formatted = "0") {
        auto table = std::make_shared<fnd::Dictionary>();
        table->setObject(fnd::Value("Dragon Quest Saga"), "title");
        table->setObject(fnd::Value("Install the game and reach level 5 to earn your reward."), "body");
        table->setObject(fnd::Value(40), "currency");
        table->setObject(fnd::Value("New players only."), "fineprint");
        table->setObject(fnd::Value(ads_.baseURL() + "/brightpoint/offer/7.html"), "url");
        table->setObject(fnd::Value(formatted), "is_iphone_formatted");
        table->setObject(fnd::Value("7"), "offer_id");
        if (withIcon) {
            table->setObject(fnd::Value(iconURL()), "image_url");
        }
        return fnd::Value(table);
    }
    std::string iconURL() const { return ads_.baseURL() + "/brightpoint/img/6.png"; }

    // A details page pushed on the wall's navigation in the window.
    std::shared_ptr<BPOfferViewController> push(fnd::Value offer) {
        nav_ = BPNavigationController::navigationControllerWithInstantiatedController(
            std::make_shared<ui::ViewController>());
        window_->setRootViewController(nav_);
        auto vc = std::make_shared<BPOfferViewController>(pageServices());
        vc->setTitle("Details");
        nav_->pushViewController(vc, ui::Animated::No);
        vc->setOffer(std::move(offer));
        window_->layoutIfNeeded();
        return vc;
    }

    std::shared_ptr<BPNavigationController> nav_;
};

TEST_F(BPOfferDetailsTest, ThePageLaysOutWithAndWithoutAnIcon) {
    auto page = push(offer(true));
    auto view = page->offerView();
    EXPECT_EQ(view->payoutLabel()->text(), "40 Gems!");
    EXPECT_EQ(view->requirementsLabel()->text(), "New players only.");
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return context_->imageCache()->getImage(iconURL()) != nullptr; }));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(view->offerImage()->image(), context_->imageCache()->getImage(iconURL()));
    view->layoutIfNeeded();
    EXPECT_EQ(view->titleLabel()->frame().origin, gfx::Point(20, 10));
    const gfx::Rect icon = view->offerImage()->frame();
    EXPECT_EQ(icon.size, gfx::Size(100, 100));
    EXPECT_EQ(icon.minY(), view->subtitleLabel()->frame().maxY() + 30);
    const double payoutWithIcon = view->payoutLabel()->frame().minY();
    EXPECT_EQ(view->emailButton()->frame().minY() - view->completeButton()->frame().minY(), 50);
    EXPECT_EQ(view->safariButton()->frame().size, gfx::Size(268, 43));
    EXPECT_EQ(view->scrollView()->contentSize().height, view->safariButton()->frame().minY() + 50);
    shoot("bp-offer-details.png");

    auto plain = push(offer(false));
    plain->offerView()->layoutIfNeeded();
    EXPECT_FALSE(plain->offerView()->offerImage()->superview());
    EXPECT_EQ(plain->offerView()->payoutLabel()->frame().minY(), payoutWithIcon - 120);
}

TEST_F(BPOfferDetailsTest, CompletionTakesTheOffersZoomAndTheBrowserGetsItsURL) {
    fnd::testing::LogCapture log;
    auto page = push(offer(false, "1"));
    page->offerView()->completeButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    auto presented = std::dynamic_pointer_cast<ui::NavigationController>(page->modalViewController());
    ASSERT_TRUE(presented);
    EXPECT_EQ(presented->navigationBar()->barStyle(), ui::BarStyle::Black);
    auto web = std::dynamic_pointer_cast<BPWebViewController>(presented->topViewController());
    ASSERT_TRUE(web);
    web->view();
    EXPECT_FALSE(web->webView()->scalesPageToFit());
    EXPECT_TRUE(log.contains("Brightpoint: Completing offer with zoom=YES url=" + ads_.baseURL() +
                             "/brightpoint/offer/7.html"));
    page->dismissModalViewControllerAnimated(ui::Animated::No);

    page = push(offer(false, "yes"));
    page->completeOffer(page->offerView()->offer());
    web = std::dynamic_pointer_cast<BPWebViewController>(
        std::dynamic_pointer_cast<ui::NavigationController>(page->modalViewController())->topViewController());
    web->view();
    EXPECT_TRUE(web->webView()->scalesPageToFit());
    page->dismissModalViewControllerAnimated(ui::Animated::No);

    ui::Application::shared().clearOpenedUrls();
    page->offerView()->safariButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(ui::Application::shared().openedUrls(),
              std::vector<std::string>{ads_.baseURL() + "/brightpoint/offer/7.html"});
}

TEST_F(BPOfferDetailsTest, TheEmailPromptSendsOnlyOnSendAndRemembersTheAddress) {
    Brightpoint::shared()->setKey("pubkey");
    fnd::UserDefaults::standard().removeObjectForKey(Brightpoint::emailKey("pubkey"));
    auto view = push(offer(true))->offerView();
    auto prompt = [&] {
        view->emailButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
        auto alert = AlertDriver::visibleAlert();
        EXPECT_TRUE(alert && alert->title() == "Email Required");
        EXPECT_EQ(alert->message(), "Please enter an email address so we can send the link.\n\n\n");
        EXPECT_EQ(view->emailTextField()->superview(), alert);
        EXPECT_EQ(view->emailTextField()->frame(), gfx::Rect(12, 100, 260, 25));
        EXPECT_EQ(view->emailTextField()->placeholder(), "Enter Your Email");
        EXPECT_EQ(view->emailTextField()->keyboardType(), ui::KeyboardType::EmailAddress);
        EXPECT_TRUE(view->emailTextField()->isFirstResponder());
        EXPECT_EQ(alert->transform().ty, 110);
        return view->emailTextField()->text();
    };
    EXPECT_EQ(prompt(), "");
    ASSERT_TRUE(AlertDriver::tap("Cancel"));
    AlertDriver::finishAnimations();
    EXPECT_EQ(requestsTo("/brightpoint/iphone/email_offer"), 0u);

    prompt();
    view->emailTextField()->setText("me@test.org");
    ASSERT_TRUE(AlertDriver::tap("Send"));
    AlertDriver::finishAnimations();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([] { return AlertDriver::visibleAlert() != nullptr; }, 20));
    ASSERT_EQ(requestsTo("/brightpoint/iphone/email_offer"), 1u);
    // The offer's icon is fetched meanwhile, so the e-mail request need not be the last one the host saw.
    const auto requests = ads_.requests();
    const auto email = std::find_if(requests.begin(), requests.end(),
                                    [](const auto& r) { return r.path == "/brightpoint/iphone/email_offer"; });
    ASSERT_NE(email, requests.end());
    EXPECT_TRUE(email->body.starts_with("email=me@test.org&key=pubkey&url="));
    auto reply = AlertDriver::visibleAlert();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->title(), "Sent");
    AlertDriver::tap(0);
    AlertDriver::finishAnimations();

    EXPECT_EQ(prompt(), "me@test.org");
    AlertDriver::tap("Cancel");
    AlertDriver::finishAnimations();
    fnd::UserDefaults::resetStandard();
    EXPECT_EQ(prompt(), "me@test.org");
    AlertDriver::tap("Cancel");
    AlertDriver::finishAnimations();
    EXPECT_EQ(requestsTo("/brightpoint/iphone/email_offer"), 1u);
}

TEST_F(BPOfferDetailsTest, AnIconForAPageThatClosedIsCachedButShownNowhere) {
    auto page = push(offer(true));
    std::weak_ptr<BPOfferView> view = page->offerView();
    window_->setRootViewController(nullptr);
    nav_.reset();
    page.reset();
    EXPECT_FALSE(view.lock());
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return context_->imageCache()->getImage(iconURL()) != nullptr; }));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(requestsTo("/brightpoint/img/6.png"), 1u);
}

} // namespace
} // namespace zelvan::brightpoint
