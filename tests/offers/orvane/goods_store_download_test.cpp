// The store with the real download registry against the ad host's item files: stored items' rows read
// "Download Complete", and downloads started by the rows run on after the store has closed.
#include <gtest/gtest.h>

#include "offers/orvane/orv_default_screens.h"
#include "platform/ui/table_view_cell.h"
#include "tests/offers/orvane/goods_store_support.h"

namespace zelvan::orvane::widget_test {
namespace {

// The label with `text` in the view's tree, or null.
std::shared_ptr<ui::Label> findLabel(const std::shared_ptr<ui::View>& view, const std::string& text) {
    if (auto label = std::dynamic_pointer_cast<ui::Label>(view); label && label->text() == text) {
        return label;
    }
    for (const auto& child : view->subviews()) {
        if (auto found = findLabel(child, text)) {
            return found;
        }
    }
    return nullptr;
}

TEST_F(GoodsStoreTest, StoredRowsReadDownloadCompleteAndDownloadsRunOnAfterTheClose) {
    context_->setScreens(std::make_shared<ORVDefaultScreens>());
    storeLocally("goods-2");
    auto store = open(1);
    ASSERT_TRUE(pump([&] { return store->purchasedVGStoreItemsArray().size() == 3; }));
    EXPECT_EQ(store->downloadStatusArray(), (std::vector<int>{0, 1, 0}));
    auto& table = *store->purchasedVGStoreItemsTableView();
    draw(table);
    auto stored = table.cellForRowAtIndexPath(ui::IndexPath::indexPathForRow(1, 0));
    ASSERT_TRUE(stored);
    EXPECT_TRUE(findLabel(stored->contentView(), "Download Complete"));
    savePng(*window_, "goods-store-downloads.png");

    store->removeView();
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_TRUE(store->givenBack());
    store.reset();
    auto local = context_->sqliteController();
    EXPECT_TRUE(pump([&] { return local->storeItemIDExists("goods-1") && local->storeItemIDExists("goods-3"); }));
}

} // namespace
} // namespace zelvan::orvane::widget_test
