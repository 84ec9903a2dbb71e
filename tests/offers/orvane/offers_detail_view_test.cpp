// The offer detail page: its layout under synthetic text metrics, the load watch's one click report per
// opening against the fake offer service, the mail URL, the failure alert with Retry and Cancel, and the
// return to the store of a wall the store opened.
#include <gtest/gtest.h>

#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/kit/orv_generic_buttons.h"
#include "offers/orvane/kit/panel_label.h"
#include "offers/orvane/offers/offers_detail_view.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/url_error.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/web_view_driver.h"
#include "tests/offers/orvane/offer_wall_support.h"

namespace zelvan::orvane {
namespace {

using ui::testing::AlertDriver;
using ui::testing::WebViewDriver;
using widget_test::Heard;
using widget_test::OfferWallTest;

class OffersDetailViewTest : public OfferWallTest {
protected:
    std::shared_ptr<OffersDetailView> page(const ORVOfferReturnClass& offer, int mode = 0) {
        auto view = ui::View::create<OffersDetailView>(gfx::Rect(0, 0, 320, 480));
        view->setOffersViewMode(mode);
        view->fillView(std::make_shared<const ORVOfferReturnClass>(offer));
        window_->addSubview(view);
        return view;
    }
    static ORVOfferReturnClass sample() {
        ORVOfferReturnClass offer;
        offer.offerName = "Star Farm";
        offer.description = "<b>Grow</b> a farm";
        offer.amount = "1500";
        offer.currency = "Coins";
        offer.instructions = "Open it";
        offer.timeDelay = "today";
        offer.actionURL = "http://127.0.0.1:9/x";
        offer.emailURL = "http://offers.test/star farm";
        offer.cacheOfferId = "offer-1";
        offer.PublisherUserRecordID = "rec-1";
        return offer;
    }
};

TEST_F(OffersDetailViewTest, LayoutKeepsTheFloorCentresTheRewardAndSaysWhatIsEarned) {
    auto view = page(sample());
    const auto& rows = view->rows();
    EXPECT_EQ(rows.title->frame().origin.y, 4);
    EXPECT_EQ(rows.title->frame().size.height, 80);
    EXPECT_EQ(rows.description->frame().origin.y, 81); // a one-line title still takes 80 points
    EXPECT_EQ(rows.amount->text(), "1,500");
    const double amountX = rows.amount->frame().origin.x;
    const double pair = rows.amount->frame().size.width + rows.currency->frame().size.width;
    EXPECT_EQ(amountX, static_cast<int>((320 - pair) / 2));
    EXPECT_EQ(rows.currency->frame().origin.x, static_cast<int>(amountX + rows.amount->frame().size.width));
    EXPECT_TRUE(rows.amount->superview());
    EXPECT_EQ(rows.earn->text(), "Earn your 1500 Coins today");
    // Buttons: 45 apart, side by side, and the content ends 5 below the row.
    const gfx::Rect complete = rows.complete->frame();
    const gfx::Rect safari = rows.safari->frame();
    EXPECT_EQ(complete.origin.x, 23);
    EXPECT_EQ(complete.size.width, 278);
    EXPECT_EQ(safari.origin.y, complete.origin.y + 45);
    EXPECT_EQ(rows.email->frame(), gfx::Rect(166, safari.origin.y, 135, 40));
    EXPECT_EQ(view->contentScrollView()->contentSize().height, safari.origin.y - 2 + 39 + 5);
    EXPECT_TRUE(ui::Snapshot::saveViewAsPng(*view, "orvane_offer_detail.png"));

    // Mode 1 without an item: no amount, yet the currency stays where the pair's centring puts it.
    auto store = page(sample(), 1);
    EXPECT_EQ(store->rows().earn->text(), "Earn your  Coins today");
    EXPECT_FALSE(store->rows().amount->superview());
    EXPECT_EQ(store->rows().currency->frame().origin.x, rows.currency->frame().origin.x);

    // An item name names the item, whatever the mode.
    auto facade = OrvaneConnect::requestOrvaneConnectWithDelegate(nullptr);
    facade->setOffersItemName("Golden Hoe");
    EXPECT_EQ(page(sample(), 0)->rows().earn->text(), "Earn your Golden Hoe today");
    EXPECT_EQ(page(sample(), 1)->earnLine(), "Earn your Golden Hoe today");
    facade->setOffersItemName(std::nullopt);
}

TEST_F(OffersDetailViewTest, TheLoadWatchReportsOncePerOpeningAndClosingThePageStopsIt) {
    auto offers = offerList().offers;
    ASSERT_EQ(offers.size(), 30u);
    auto view = page(offers[0]);
    view->forCompleteButtonAction();
    advance(0); // the spinner starts on the next pass
    EXPECT_EQ(view->webPageView()->tag(), OffersDetailView::kWebPageTag);
    ASSERT_TRUE(WebViewDriver(view->myWebView()).finishLoad());
    EXPECT_FALSE(view->progressIndicatorForWeb()->isAnimating());
    advance(2);
    ASSERT_TRUE(pump([&] { return clicks() == 1; }));
    const auto click = requestsOf("/orvane/Service1.asmx/SubmitOfferClick")[0];
    EXPECT_EQ(click.param("CachedOfferID"), "offer-1");
    EXPECT_EQ(click.param("PublisherUserRecordID"), "pts-1001-1");
    advance(6);
    EXPECT_FALSE(view->isWatchingLoad());

    // " Back " before the page loaded still reports, once, at the next firing.
    view->forCompleteButtonAction();
    advance(0);
    view->backAction();
    EXPECT_FALSE(view->myWebView());
    advance(2);
    ASSERT_TRUE(pump([&] { return clicks() == 2; }));
    advance(6);

    // Leaving the page stops the watch without a report; the page goes after half a second.
    view->forCompleteButtonAction();
    advance(0);
    view->backtoGameAction();
    EXPECT_FALSE(view->isWatchingLoad());
    advance(0.6);
    EXPECT_FALSE(view->superview());
    advance(6);
    pump([] { return false; }, 0.3);
    EXPECT_EQ(clicks(), 2u);
}

TEST_F(OffersDetailViewTest, TheMailHoldsNoBlankAndSurvivesPercentAndHash) {
    ORVOfferReturnClass offer = sample();
    offer.offerName = "100% #1 Farm";
    auto view = page(offer);
    view->forEmailButtonAction();
    ASSERT_EQ(ui::Application::shared().openedUrls().size(), 1u);
    const std::string url = ui::Application::shared().openedUrls()[0];
    EXPECT_EQ(url, view->mailURL());
    EXPECT_EQ(url.find(' '), std::string::npos);
    EXPECT_EQ(url.find('#'), std::string::npos);
    ASSERT_TRUE(url.starts_with("mailto:?subject="));
    const size_t body = url.find("&body=");
    ASSERT_NE(body, std::string::npos);
    EXPECT_EQ(fnd::unescape(url.substr(16, body - 16)), "100% #1 Farm");
    const std::string text = fnd::unescape(url.substr(body + 6)).value_or("");
    EXPECT_TRUE(text.starts_with("Earn your 1500 Coins today\n100% #1 Farm\n<a href='http://offers.test/star farm'>"));
    EXPECT_TRUE(text.ends_with("\nOpen it\nEarn your 1500 Coins today"));
}

TEST_F(OffersDetailViewTest, AnUnreachablePageOffersRetryWhichReopensItAndCancelReturnsToTheStore) {
    auto facade = OrvaneConnect::requestOrvaneConnectWithDelegate(nullptr);
    Heard storeBack(kORVRemoveVirtualGoodsView), wallClose(kORVRemoveOffersView);
    auto view = page(sample(), 1); // the action URL's port is closed: CannotConnectToHost
    view->forCompleteButtonAction();
    advance(0);
    ASSERT_TRUE(pump([] { return AlertDriver::visibleAlert() != nullptr; }));
    EXPECT_EQ(AlertDriver::visibleAlert()->message(), OffersDetailView::kFailureMessage);
    EXPECT_FALSE(view->progressIndicatorForWeb()->isAnimating());
    EXPECT_FALSE(view->transparentView()->superview());
    ASSERT_TRUE(AlertDriver::tap("Retry"));
    ASSERT_TRUE(view->myWebView());
    ASSERT_TRUE(view->myWebView()->request());
    EXPECT_EQ(view->myWebView()->request()->url().absoluteString(), sample().actionURL);
    EXPECT_EQ(storeBack.count, 0); // Retry stays on the page
    advance(0);
    ASSERT_TRUE(pump([] { return AlertDriver::visibleAlert() != nullptr; }));
    ASSERT_TRUE(AlertDriver::tap("Cancel"));
    EXPECT_TRUE(view->lastRequest()); // the next "Complete Offer" loads it
    EXPECT_EQ(storeBack.count, 1);
    advance(1.0);
    EXPECT_EQ(wallClose.count, 1);

    // A load error that Retry cannot mend is ignored: the spinner turns, no alert.
    auto other = page(sample(), 0);
    other->forCompleteButtonAction();
    other->addingProgressIndicator();
    other->webViewDidFailLoadWithError(*other->myWebView(), fnd::Error("fnd.url", fnd::UrlError::BadServerResponse));
    other->webViewDidFailLoadWithError(*other->myWebView(), fnd::Error("fnd.url", fnd::UrlError::Cancelled));
    EXPECT_FALSE(AlertDriver::visibleAlert());
    EXPECT_TRUE(other->progressIndicatorForWeb()->isAnimating());
    other->backtoGameAction();
}

} // namespace
} // namespace zelvan::orvane
