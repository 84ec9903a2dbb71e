// The store of virtual goods against the dev server's fake offer service: the opening tab and its one
// scroll, the bought list's "Show more" row, paging with the "Show more" row, the deferred retry alert, the stored
// items standing in for a failed bought list, download statuses and strips, and closing.
#include <gtest/gtest.h>

#include "offers/orvane/client/orv_goods_names.h"
#include "offers/orvane/client/orv_vg_store_names.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/goods/all_virtual_goods_detail_view.h"
#include "offers/orvane/kit/orv_ui_navigation_bar_view.h"
#include "offers/orvane/offers/get_offers_view.h"
#include "platform/ui/image_view.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/table_view_cell.h"
#include "tests/offers/orvane/goods_store_support.h"

namespace zelvan::orvane::widget_test {
namespace {

using devserver::OrvaneReplyMode;
using ui::testing::AlertDriver;

std::string title(const GetVirtualGoods& store) {
    return store.headerView()->navBarTitle()->title();
}

void selectSegment(GetVirtualGoods& store, int segment) {
    store.segmentControl()->setSelectedSegmentIndex(segment);
    store.segmentControl()->sendActionsForControlEvents(ui::ControlEvents::ValueChanged);
}

TEST_F(GoodsStoreTest, OpensOnMyItemsScrollsOnceAndPlacesEachRowsStrip) {
    service_->setReplyContent("GetPurchasedVGStoreItems", goodsList(12, 30));
    storeLocally("goods-2");
    auto store = open(1, 5);
    EXPECT_EQ(title(*store), "  My Items");
    EXPECT_EQ(store->segmentControl()->selectedSegmentIndex(), 1);
    EXPECT_FALSE(store->purchasedVGStoreItemsTableView()->isHidden());
    EXPECT_TRUE(store->allVGStoreItemsTableView()->isHidden());
    EXPECT_FALSE(store->loadingImagePage()->isHidden());
    ASSERT_TRUE(pump([&] { return store->purchasedVGStoreItemsArray().size() == 12; }));
    EXPECT_TRUE(store->loadingImagePage()->isHidden());
    EXPECT_EQ(store->lowerBarCurrencyLabel()->text(), "Your Coins: 1,500");
    EXPECT_EQ(store->lowerBar()->navBarRightBtn()->title(), "Get More Coins");
    EXPECT_EQ(store->downloadStatusArray(), (std::vector<int>{0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    auto& table = *store->purchasedVGStoreItemsTableView();
    // The server holds more bought items: the list ends in its "Show more" row.
    ASSERT_EQ(store->tableViewNumberOfRowsInSection(table, 0), 13);
    EXPECT_EQ(store->tableViewCellForRowAtIndexPath(table, ui::IndexPath::indexPathForRow(12, 0))->textLabel()->text(),
              "Show 25 more...");
    draw(table);
    advance(1); // the animated scroll
    EXPECT_EQ(store->initialScrolls(), 1);
    EXPECT_DOUBLE_EQ(table.contentOffset().y, 5 * GetVirtualGoods::kPurchasedRowHeight);
    table.reloadData();
    draw(table);
    EXPECT_EQ(store->initialScrolls(), 1);

    // Every drawn row asked for its download and carries its strip at (62, 73).
    auto cell = table.cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(5, 0));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->reuseIdentifier(), "05");
    auto strip = screens_->downloads->strips.at("goods-6");
    EXPECT_EQ(strip->superview(), cell->contentView());
    EXPECT_EQ(strip->frame().origin, gfx::Point(62, 73));
    EXPECT_NE(std::find(screens_->downloads->started.begin(), screens_->downloads->started.end(), "goods-6"),
              screens_->downloads->started.end());
    // The thumbnail arrives in its place.
    ASSERT_TRUE(pump([&] { return cell->viewWithTag(GetVirtualGoods::kThumbTag) != nullptr; }));
    EXPECT_EQ(cell->viewWithTag(GetVirtualGoods::kThumbTag)->frame(), gfx::Rect(2, 14, 57, 57));
    savePng(*window_, "goods-store-my-items.png");
}

TEST_F(GoodsStoreTest, TabTwoShowsMyItemsUnderTheAvailableTitle) {
    auto store = open(2);
    EXPECT_EQ(title(*store), "Available Items");
    EXPECT_EQ(store->segmentControl()->selectedSegmentIndex(), 0);
    EXPECT_FALSE(store->purchasedVGStoreItemsTableView()->isHidden());
    EXPECT_TRUE(store->allVGStoreItemsTableView()->isHidden());
    // The first tap on a segment is the user's, not swallowed.
    selectSegment(*store, 1);
    EXPECT_EQ(title(*store), "  My Items");
}

TEST_F(GoodsStoreTest, TheShowMoreRowAppendsTheNextPageUntilTheListEnds) {
    auto store = open(0);
    EXPECT_EQ(title(*store), "Available Items");
    ASSERT_TRUE(pump([&] { return store->allVGStoreItemsArray().size() == 25; }));
    auto& table = *store->allVGStoreItemsTableView();
    const auto moreRow = [&](int row) {
        return store->tableViewCellForRowAtIndexPath(table, ui::IndexPath::indexPathForRow(row, 0))
            ->textLabel()
            ->text();
    };
    EXPECT_EQ(store->tableViewNumberOfRowsInSection(table, 0), 26);
    EXPECT_EQ(moreRow(25), "Show 25 more..."); // 35 more on the server
    store->tableViewDidSelectRowAtIndexPath(table, ui::IndexPath::indexPathForRow(25, 0));
    store->tableViewDidSelectRowAtIndexPath(table, ui::IndexPath::indexPathForRow(25, 0)); // asked once
    EXPECT_TRUE(store->genericIndicator()->isAnimating());
    ASSERT_TRUE(pump([&] { return store->allVGStoreItemsArray().size() == 50; }));
    EXPECT_FALSE(store->genericIndicator()->isAnimating());
    EXPECT_EQ(store->genericIndicator()->superview(), store);
    EXPECT_EQ(store->allVGStoreItemsArray()[25].VGStoreItemID, "goods-26");
    EXPECT_EQ(moreRow(50), "Show 10 more...");
    // The row that was "Show more" is now an item row.
    EXPECT_EQ(store->tableViewCellForRowAtIndexPath(table, ui::IndexPath::indexPathForRow(25, 0))->textLabel()->text(),
              "");
    store->tableViewDidSelectRowAtIndexPath(table, ui::IndexPath::indexPathForRow(50, 0));
    ASSERT_TRUE(pump([&] { return store->allVGStoreItemsArray().size() == 60; }));
    EXPECT_EQ(store->tableViewNumberOfRowsInSection(table, 0), 60);
    const auto pages = requestsOf("/orvane/Service1.asmx/GetAllVGStoreItems");
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages.back().param("start"), "50");
    draw(table);
    savePng(*window_, "goods-store-available.png");

    // An item row opens its page (tab type 0) with the row's picture.
    store->tableViewDidSelectRowAtIndexPath(table, ui::IndexPath::indexPathForRow(0, 0));
    auto page = store->openPage();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->superview(), store);
    EXPECT_EQ(page->tabType(), 0);
    EXPECT_EQ(page->frame(), gfx::Rect(0, 0, 320, 436));
    EXPECT_TRUE(page->buyWithOfferBtn());
}

TEST_F(GoodsStoreTest, AFailedAvailableListAsksOnlyOnItsTabAndCancelIsFinal) {
    service_->setMode("GetAllVGStoreItems", OrvaneReplyMode::ErrorMessage);
    Heard failed(kORVAllVGStoreItemsError);
    auto store = open(1);
    ASSERT_TRUE(pump([&] { return failed.count == 1 && !store->purchasedVGStoreItemsArray().empty(); }));
    EXPECT_FALSE(AlertDriver::visible());

    selectSegment(*store, 0);
    EXPECT_EQ(title(*store), "Available Items");
    auto alert = AlertDriver::visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), GetVirtualGoods::kRetryMessage);
    EXPECT_EQ(alert->tag(), GetVirtualGoods::kRetryAlertTag);
    // Retry asks again; the list fails again and, its tab showing, the alert comes at once.
    AlertDriver::tap("Retry");
    ASSERT_TRUE(pump([&] { return failed.count == 2; }));
    ASSERT_TRUE(AlertDriver::visibleAlert());
    EXPECT_FALSE(store->loadingImagePage()->isHidden());
    AlertDriver::tap("Cancel");
    EXPECT_TRUE(store->cancelButtonForAllVGStore());
    EXPECT_FALSE(store->dataAvailability()->isHidden());
    EXPECT_TRUE(store->loadingImagePage()->isHidden());
    selectSegment(*store, 1);
    EXPECT_TRUE(store->dataAvailability()->isHidden()); // three bought items
    selectSegment(*store, 0);
    EXPECT_FALSE(AlertDriver::visible());
    EXPECT_FALSE(store->dataAvailability()->isHidden());
    EXPECT_EQ(requestsOf("/orvane/Service1.asmx/GetAllVGStoreItems").size(), 2u);
}

TEST_F(GoodsStoreTest, AFailedBoughtListShowsTheStoredItemsWithTheirThumbnails) {
    service_->setMode("GetPurchasedVGStoreItems", OrvaneReplyMode::ServerError);
    for (const char* id : {"a", "b", "c"}) {
        storeLocally(id);
    }
    // The row named is past the stored items: the list scrolls to its last row.
    auto store = open(1, 7);
    ASSERT_TRUE(pump([&] { return store->purchasedVGStoreItemsArray().size() == 3; }));
    EXPECT_FALSE(AlertDriver::visible());
    EXPECT_TRUE(store->fetchImageLocally());
    EXPECT_TRUE(store->loadingImagePage()->isHidden());
    EXPECT_TRUE(store->dataAvailability()->isHidden());
    auto& table = *store->purchasedVGStoreItemsTableView();
    EXPECT_EQ(store->tableViewNumberOfRowsInSection(table, 0), 3);
    EXPECT_EQ(store->downloadStatusArray(), (std::vector<int>{1, 1, 1}));
    draw(table);
    EXPECT_EQ(store->initialScrolls(), 1);
    auto cell = table.cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(0, 0));
    ASSERT_TRUE(cell);
    auto thumb = std::dynamic_pointer_cast<ui::ImageView>(cell->viewWithTag(GetVirtualGoods::kThumbTag));
    ASSERT_TRUE(thumb);
    EXPECT_TRUE(thumb->image());
    EXPECT_EQ(thumb->frame(), gfx::Rect(2, 14, 57, 57));

    // Its page is a bought item's: downloaded, the stored picture.
    store->tableViewDidSelectRowAtIndexPath(table, ui::IndexPath::indexPathForRow(2, 0));
    auto page = store->openPage();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->tabType(), 1);
    EXPECT_TRUE(page->isPurchased());
    EXPECT_FALSE(page->buyWithOfferBtn());
}

TEST_F(GoodsStoreTest, ClosingGivesBackInOrderAndLeavesNoDeadViewOrAlert) {
    service_->setMode("GetAllVGStoreItems", OrvaneReplyMode::ErrorMessage);
    auto facade = connect();
    ASSERT_TRUE(facade);
    auto store = std::dynamic_pointer_cast<GetVirtualGoods>(facade->GetVirtualGoodsWithTab(0));
    std::weak_ptr<GetVirtualGoods> opened = store;
    ASSERT_TRUE(store);
    window_->addSubview(store);
    ASSERT_TRUE(
        pump([&] { return AlertDriver::visibleAlert() != nullptr && !store->purchasedVGStoreItemsArray().empty(); }));
    auto& model = *context_->modelController();
    ASSERT_TRUE(model.getPurchasedVGStoreItemsArray());

    // At the show-box notice the store has left its superview and the caches are still there.
    bool removedFirst = false, cachesKept = false;
    auto token =
        fnd::NotificationCenter::defaultCenter().addObserver(kORVShowBoxNotification, fnd::Value(), [&](const auto&) {
            removedFirst = !store->superview();
            cachesKept = model.getPurchasedVGStoreItemsArray().has_value() && screens_->downloads->errorsDropped == 0;
        });
    store->backtoGameAction();
    advance(OrvaneConnect::getTransitionDelay());
    EXPECT_TRUE(store->givenBack());
    EXPECT_TRUE(removedFirst);
    EXPECT_TRUE(cachesKept);
    EXPECT_FALSE(model.getPurchasedVGStoreItemsArray());
    EXPECT_EQ(screens_->downloads->errorsDropped, 1);
    EXPECT_FALSE(AlertDriver::visible());
    EXPECT_FALSE(facade->GetVirtualGoodsView());

    // A purchase announced now opens nothing.
    const size_t shown = window_->subviews().size();
    fnd::NotificationCenter::defaultCenter().postNotificationName(kORVPurchaseSuccessBack);
    EXPECT_EQ(window_->subviews().size(), shown);
    store.reset();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(opened.expired());
}

TEST_F(GoodsStoreTest, ARowsDownloadFinishingOnItsPageMarksItDownloaded) {
    screens_->downloads->complete = {"goods-3"};
    auto store = open(1);
    ASSERT_TRUE(pump([&] { return store->purchasedVGStoreItemsArray().size() == 3; }));
    auto& table = *store->purchasedVGStoreItemsTableView();
    draw(table);
    // A stored item's row shows one "Download Complete" strip however often it is drawn.
    table.reloadData();
    draw(table);
    auto stored = table.cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(2, 0));
    ASSERT_TRUE(stored);
    int completeStrips = 0;
    for (const auto& view : stored->contentView()->subviews()) {
        auto label = std::dynamic_pointer_cast<ui::Label>(view);
        completeStrips += label && label->text() == "Download Complete" ? 1 : 0;
    }
    EXPECT_EQ(completeStrips, 1);
    store->tableViewDidSelectRowAtIndexPath(table, ui::IndexPath::indexPathForRow(1, 0));
    ASSERT_TRUE(store->openPage());
    EXPECT_FALSE(store->openPage()->isPurchased());
    store->openPage()->downloadSuccessSelector();
    ASSERT_TRUE(AlertDriver::visibleAlert());
    EXPECT_EQ(AlertDriver::visibleAlert()->message(), AllVirtualGoodsDetailView::kDownloadSuccessful);
    AlertDriver::tap("OK");
    EXPECT_EQ(store->downloadStatusArray(), (std::vector<int>{0, 1, 0}));

    // "Get More" opens the offer wall for the account's currency over the store.
    auto wall = store->panelButtonAction();
    EXPECT_EQ(wall->superview(), store);
    EXPECT_EQ(wall->frame(), gfx::Rect(0, 0, 320, 460)); // it fills the store, down to the screen's bottom
    EXPECT_EQ(wall->publisherUserId(), "pts-1001");

    // The page's removal notice closes the store a second later.
    store->openPage()->removeVirtualGoodsView();
    advance(0.9);
    EXPECT_FALSE(store->givenBack());
    advance(0.1);
    EXPECT_TRUE(store->givenBack());
    EXPECT_FALSE(store->superview());
}

} // namespace
} // namespace zelvan::orvane::widget_test
