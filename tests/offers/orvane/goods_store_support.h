// Shared fixture of the goods store tests: the offer wall fixture (dev server's fake offer service, manual
// clock, key window), a local goods store in a temporary file, the account of the connect reply, and screens
// that make the real store with a recording download handler whose strips are real views.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_screens.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/sqlite_controller.h"
#include "offers/orvane/goods/get_virtual_goods.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/format.h"
#include "platform/graphics/image.h"
#include "platform/ui/label.h"
#include "tests/offers/orvane/offer_wall_support.h"

namespace zelvan::orvane::widget_test {

// Records the downloads asked for; each item's strip is one label kept for the test's life, but a
// `complete` item's is a new "Download Complete" label on every ask, as for an item already stored.
struct RecordingDownloads : ORVFileDownloadHandler {
    std::vector<std::string> started;
    int errorsDropped = 0;
    std::map<std::string, std::shared_ptr<ui::View>> strips;
    std::set<std::string> complete;

    void downloadItem(const ORVAllVGStoreItemClass& item) override { started.push_back(item.VGStoreItemID); }
    std::shared_ptr<ui::View> getVGPurchasedItemDownloadProgressView(const std::string& id) override {
        if (complete.count(id) != 0) {
            auto label = ui::View::create<ui::Label>(gfx::Rect(0, 0, 229, 20));
            label->setText("Download Complete");
            return label;
        }
        auto& strip = strips[id];
        if (!strip) {
            auto label = ui::View::create<ui::Label>(gfx::Rect(0, 0, 220, 22));
            label->setText("Downloading " + id);
            strip = label;
        }
        return strip;
    }
    void removeDownloadErrorObjects() override { ++errorsDropped; }
};

struct StoreScreens : ORVScreens {
    std::shared_ptr<RecordingDownloads> downloads = std::make_shared<RecordingDownloads>();
    std::shared_ptr<ORVStoreView> makeVirtualGoods(gfx::Rect frame) override {
        return ui::View::create<GetVirtualGoods>(frame);
    }
    std::shared_ptr<ui::View> makeHighScoreFilterPanel(gfx::Rect, const ORVFilters&) override { return nullptr; }
    std::shared_ptr<ui::View> makeSubmitHighScoreBox(gfx::Rect, const ORVScoreSubmission&) override { return nullptr; }
    std::shared_ptr<ORVFileDownloadHandler> makeFileDownloadHandler() override { return downloads; }
};

class GoodsStoreTest : public OfferWallTest {
protected:
    void SetUp() override {
        folder_ = std::filesystem::path(::testing::TempDir()) /
                  ("goods-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        goodsStorePath_ = (folder_ / "goods.sqlite").string();
        OfferWallTest::SetUp();
        context_->setScreens(screens_);
        ORVConnectReturn connect;
        connect.userAccount = ORVUserAccount{std::string("Demo"), "Coins", 1500, "pts-1001"};
        context_->modelController()->cacheConnectReturn(connect);
        thumb_ = (folder_ / "thumb.png").string();
        auto image = gfx::Image::imageNamed("tick.png");
        ASSERT_TRUE(image);
        ASSERT_TRUE(fnd::writeFile(thumb_, gfx::pngRepresentation(*image)));
    }
    void TearDown() override {
        for (const auto& view : std::vector(window_->subviews())) {
            view->removeFromSuperview();
        }
        OfferWallTest::TearDown();
        std::filesystem::remove_all(folder_);
    }

    // A store made as the facade makes it while the status bar shows, shown in the window.
    std::shared_ptr<GetVirtualGoods> open(int tab, int row = 0) {
        auto store = ui::View::create<GetVirtualGoods>(gfx::Rect(0, 20, 320, 460));
        store->setTabIndex(tab);
        store->setScrollToRow(row);
        store->myLoadView();
        window_->addSubview(store);
        return store;
    }
    // Lays out the table so that it draws its visible rows, then runs what the drawing deferred.
    static void draw(ui::TableView& table) {
        table.layoutIfNeeded();
        fnd::RunLoop::main().runUntilIdle();
    }
    // The good reply's list of `count` items goods-1 ... with thumbnails read from the test's picture.
    std::string goodsList(int count, int more = 0) const {
        std::string items;
        for (int n = 1; n <= count; ++n) {
            items +=
                fnd::format("<VGStoreItemClass><VGStoreItemID>goods-%d</VGStoreItemID><Name>Item %d</Name>"
                            "<Description>Good %d</Description><Price>%d</Price><VGStoreItemTypeName>Power-up"
                            "</VGStoreItemTypeName><AttributeValues><VGStoreItemAttributeValueClass><AttributeType>"
                            "Colour</AttributeType><AttributeValue>Blue</AttributeValue>"
                            "</VGStoreItemAttributeValueClass></AttributeValues><ThumbImageURL>file://%s"
                            "</ThumbImageURL><CurrencyName>Coins</CurrencyName></VGStoreItemClass>",
                            n, n, n, n * 500, thumb_);
        }
        return fnd::format("<VGStoreItemsArray>%s</VGStoreItemsArray><MoreDataAvailable>%d</MoreDataAvailable>", items,
                           more);
    }
    // Stores a bought item on the device with the test's picture as its thumbnail.
    void storeLocally(const std::string& id) {
        ORVAllVGStoreItemClass item;
        item.VGStoreItemID = id;
        item.Name = "Stored " + id;
        item.Price = 10;
        auto local = ORVLocalVGStoreItem::initWithObject(item);
        local.setThumbImageFilePath(thumb_);
        ASSERT_TRUE(context_->sqliteController()->saveVirtualGoodData(local));
    }
    // Connects the facade with the fake service's three bought goods already stored, so that no bought-item
    // prompt comes up.
    std::shared_ptr<OrvaneConnect> connect() {
        for (const char* id : {"goods-1", "goods-2", "goods-3"}) {
            storeLocally(id);
        }
        auto facade = OrvaneConnect::requestOrvaneConnectWithDelegate(nullptr);
        EXPECT_TRUE(pump([&] { return context_->modelController()->getPurchasedVGStoreItemsArray().has_value(); }));
        fnd::RunLoop::main().runUntilIdle();
        return facade;
    }
    void savePng(ui::View& view, const std::string& name) {
        auto shot = view.screenshot();
        ASSERT_TRUE(shot);
        const auto dir = std::filesystem::path(::testing::TempDir()) / "goods-store-screens";
        std::filesystem::create_directories(dir);
        EXPECT_TRUE(fnd::writeFile((dir / name).string(), gfx::pngRepresentation(*shot)));
    }

    std::shared_ptr<StoreScreens> screens_ = std::make_shared<StoreScreens>();
    std::filesystem::path folder_;
    std::string thumb_;
};

} // namespace zelvan::orvane::widget_test
