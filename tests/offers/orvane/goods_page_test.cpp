// The item page and the purchase box against the dev server's fake offer service: the confirmation and
// Cancel, a purchase through to the strip and the store reopening on "My Items", a refusal with "Get More",
// an error with Retry, and the strip a "My Items" page borrows from its row.
#include <gtest/gtest.h>

#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_vg_store_names.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/goods/all_virtual_goods_detail_view.h"
#include "offers/orvane/goods/orv_vg_purchase_box.h"
#include "offers/orvane/kit/orv_generic_buttons.h"
#include "offers/orvane/kit/orv_ui_navigation_bar_view.h"
#include "offers/orvane/kit/show_box_label.h"
#include "offers/orvane/offers/get_offers_view.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/table_view_cell.h"
#include "tests/offers/orvane/goods_store_support.h"

namespace zelvan::orvane::widget_test {
namespace {

using devserver::OrvaneReplyMode;

class GoodsPageTest : public GoodsStoreTest {
protected:
    ORVLocalVGStoreItem item(const std::string& id, int price = 1500) {
        ORVAllVGStoreItemClass good;
        good.VGStoreItemID = id;
        good.Name = "Gem";
        good.Price = price;
        good.VGStoreItemTypeName = "Jewel";
        good.Description = "A shiny gem";
        good.AttributeValues = {{"Colour", "Red"}, {"Size", "Large"}};
        good.currencyName = "Coins";
        return ORVLocalVGStoreItem::initWithObject(good);
    }
    std::shared_ptr<AllVirtualGoodsDetailView> page(const ORVLocalVGStoreItem& good, int tabType,
                                                    const std::shared_ptr<ui::View>& in) {
        auto view = ui::View::create<AllVirtualGoodsDetailView>(gfx::Rect(0, 0, 320, 436));
        view->setTabType(tabType);
        auto picture = ui::View::create<ui::ImageView>(gfx::Rect(0, 0, 57, 57));
        picture->setImage(gfx::Image::imageNamed("tick.png"));
        view->loadView(good, picture);
        in->addSubview(view);
        return view;
    }
    size_t purchases() { return requestsOf("/orvane/service1.asmx/PurchaseVGWithCurrency").size(); }
};

TEST_F(GoodsPageTest, ThePageShowsTheItemAndCancelSendsNothing) {
    auto view = page(item("goods-4"), 0, window_);
    EXPECT_EQ(view->headerView()->navBarTitle()->title(), "Detail");
    EXPECT_EQ(view->contentScrollView()->frame(), gfx::Rect(0, 46, 320, 392));
    const auto texts = view->texts();
    for (const char* text :
         {"Gem", "Jewel", "1,500", "Coins", "Colour: Red", "Size: Large", "Description:", "A shiny gem"}) {
        EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;
    }
    ASSERT_TRUE(view->buyWithOfferBtn());
    EXPECT_EQ(view->buyWithOfferBtn()->frame(), gfx::Rect(200, 70, 115, 32));
    EXPECT_FALSE(view->statusButton());

    auto box = view->buyWithOfferBtnAction();
    EXPECT_EQ(box->frame(), gfx::Rect(0, 0, 320, 480));
    EXPECT_EQ(box->subviews().front()->frame(), gfx::Rect(20, 210, 280, 140));
    EXPECT_EQ(box->promptLabel()->text(), "Are you sure you want Gem For 1,500 Coins?");
    EXPECT_EQ(box->currentView(), box->firstView());
    savePng(*window_, "goods-purchase-box.png");
    box->cancelBtnAction();
    EXPECT_FALSE(box->superview());
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(purchases(), 0u);

    auto status = page(item("goods-5"), 2, window_);
    EXPECT_TRUE(status->statusButton());
    EXPECT_FALSE(status->buyWithOfferBtn());
    auto wall = status->viewStatusButtonAction();
    EXPECT_EQ(wall->superview(), status);
    EXPECT_EQ(wall->offersViewMode(), 1);
}

TEST_F(GoodsPageTest, APurchasePutsTheStripInPlaceAndBackReopensTheStoreOnMyItems) {
    auto facade = connect();
    auto store = open(0);
    ASSERT_TRUE(pump([&] { return !store->allVGStoreItemsArray().empty(); }));
    auto view = page(item("goods-4"), 0, store);
    savePng(*window_, "goods-item-page.png");
    auto box = view->buyWithOfferBtnAction();
    box->submitVGStorePurchaseAction();
    EXPECT_EQ(box->currentView(), box->progressView());
    ASSERT_TRUE(pump([&] { return box->currentView() == box->responseReturnView(); }));
    EXPECT_EQ(box->messageLabel()->text(), "Bought");
    EXPECT_EQ(requestsOf("/orvane/service1.asmx/PurchaseVGWithCurrency").back().param("VirtualGoodID"), "goods-4");

    Heard back(kORVPurchaseSuccessBack);
    box->okBtnAction();
    EXPECT_FALSE(box->superview());
    EXPECT_FALSE(view->buyWithOfferBtn());
    EXPECT_EQ(screens_->downloads->started.back(), "goods-4");
    auto strip = view->strip();
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->superview(), view->panels()[0]);
    EXPECT_EQ(strip->frame().origin, gfx::Point(62, 73));

    view->backtoGameAction();
    EXPECT_EQ(back.count, 1);
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(store->givenBack());
    auto fresh = std::dynamic_pointer_cast<GetVirtualGoods>(facade->GetVirtualGoodsView());
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh, store);
    EXPECT_EQ(fresh->tabIndex(), 1);
    EXPECT_EQ(fresh->superview(), window_);
    EXPECT_EQ(fresh->headerView()->navBarTitle()->title(), "  My Items");
}

TEST_F(GoodsPageTest, ARefusalOffersGetMoreAboveThePage) {
    auto store = open(0);
    auto view = page(item("refused"), 0, store);
    auto box = view->buyWithOfferBtnAction();
    box->submitVGStorePurchaseAction();
    ASSERT_TRUE(pump([&] { return box->currentView() == box->responseReturnViewUnSuccess(); }));
    EXPECT_EQ(box->messageLabel()->text(), "Not enough Coins");
    Heard success(kORVPurchaseSuccess);
    auto wall = box->getMoreBtnAction();
    EXPECT_EQ(wall->superview(), store);
    EXPECT_EQ(wall->frame(), store->bounds());
    EXPECT_EQ(wall->publisherUserId(), "pts-1001");
    EXPECT_FALSE(box->superview());
    EXPECT_EQ(success.count, 0);
    EXPECT_TRUE(view->buyWithOfferBtn());
}

TEST_F(GoodsPageTest, AfterAnAnswerWithoutAResultOrAnErrorRetryHearsItsReply) {
    auto view = page(item("goods-7"), 0, window_);
    auto box = view->buyWithOfferBtnAction();
    // An answer is announced while none is cached (the real reply is held back): the error content.
    service_->setMode("PurchaseVGWithCurrency", OrvaneReplyMode::Stall);
    box->submitVGStorePurchaseAction();
    fnd::NotificationCenter::defaultCenter().postNotificationName(kORVPurchaseReturn);
    EXPECT_EQ(box->currentView(), box->serverNetErrorView());
    Heard netError(kORVPurchaseNetError);
    service_->releaseStalls();
    ASSERT_TRUE(pump([&] { return netError.count == 1; }));
    service_->setMode("PurchaseVGWithCurrency", OrvaneReplyMode::Good);
    box->retryAction();
    EXPECT_TRUE(box->listening());
    ASSERT_TRUE(pump([&] { return box->currentView() == box->responseReturnView(); }));
    EXPECT_EQ(box->messageLabel()->text(), "Bought");

    // A service error keeps the box listening; Retry hears the answer.
    service_->setMode("PurchaseVGWithCurrency", OrvaneReplyMode::ErrorMessage);
    box = view->buyWithOfferBtnAction();
    box->submitVGStorePurchaseAction();
    ASSERT_TRUE(pump([&] { return box->currentView() == box->serverNetErrorView(); }));
    EXPECT_TRUE(box->listening());
    service_->setMode("PurchaseVGWithCurrency", OrvaneReplyMode::Good);
    box->retryAction();
    EXPECT_EQ(box->currentView(), box->progressView());
    ASSERT_TRUE(pump([&] { return box->currentView() == box->responseReturnView(); }));
    EXPECT_EQ(purchases(), 4u);
}

TEST_F(GoodsPageTest, AMyItemsPageBorrowsItsRowsStripAndGivesItBack) {
    auto store = open(1);
    ASSERT_TRUE(pump([&] { return store->purchasedVGStoreItemsArray().size() == 3; }));
    auto& table = *store->purchasedVGStoreItemsTableView();
    draw(table);
    auto cell = table.cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(0, 0));
    ASSERT_TRUE(cell);
    auto strip = screens_->downloads->strips.at("goods-1");
    ASSERT_EQ(strip->superview(), cell->contentView());

    store->tableViewDidSelectRowAtIndexPath(table, ui::IndexPath::indexPathForRow(0, 0));
    auto view = store->openPage();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->strip(), strip);
    EXPECT_EQ(strip->superview(), view->panels()[0]);
    EXPECT_EQ(strip->frame().origin, gfx::Point(62, 85));
    view->backtoGameAction();
    EXPECT_EQ(strip->superview(), cell->contentView());
    EXPECT_EQ(strip->frame().origin, gfx::Point(62, 73));
    advance(0.5);
    EXPECT_FALSE(view->superview());
}

} // namespace
} // namespace zelvan::orvane::widget_test
