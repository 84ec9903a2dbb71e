// GetVirtualGoods: the full-screen store of virtual goods - "Available Items" paged from the offer service,
// "My Items" (the bought goods, or the ones stored on the device when that list fails) with each item's
// download strip, the balance and "Get More" to the offer wall. A tapped item opens its item page. The
// rows, selection and download statuses are in get_virtual_goods_rows.cpp. Main thread.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "offers/orvane/client/orv_goods_records.h"
#include "offers/orvane/client/orv_screens.h"
#include "platform/foundation/observer_token.h"
#include "platform/foundation/run_loop.h"
#include "platform/graphics/image.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/label.h"
#include "platform/ui/segmented_control.h"
#include "platform/ui/table_view.h"

namespace zelvan::orvane {

class ORVShadow;
class ORVUINavigationBarView;
class AllVirtualGoodsDetailView;
class GetOffersView;

// Pairs a table cell with the URL of the image it loads.
struct Imageparameter {
    std::shared_ptr<ui::TableViewCell> myCell;
    std::string imageURL;
};

class GetVirtualGoods : public ORVStoreView,
                        public ui::TableViewDataSource,
                        public ui::TableViewDelegate,
                        public ui::AlertViewDelegate {
public:
    static constexpr double kAvailableRowHeight = 80;
    static constexpr double kPurchasedRowHeight = 103;
    static constexpr int kRetryAlertTag = 100;
    static constexpr int kPageSize = 25;
    static constexpr int kThumbTag = 1;
    static constexpr const char* kAvailableTitle = "Available Items";
    static constexpr const char* kPurchasedTitle = "  My Items";
    static constexpr const char* kNoData = "No data available";
    static constexpr const char* kRetryMessage = "Service is unreachable.\nDo you want to try again?";

    // Made with View::create: subscribes, resets both lists' paging and asks for both lists.
    void initWithFrame(gfx::Rect frame) override;
    ~GetVirtualGoods() override;
    std::string className() const override { return "GetVirtualGoods"; }

    void myLoadView() override;

    // --- Replies of the two lists ---
    void getAllVGStoreItemSelector();
    void getPurchasedVGStoreItemSelector();
    void getAllVGStoreItemSelectorInternetError();
    void getPurchasedVGStoreItemSelectorInternetError();

    // --- Actions ---
    void segmentControlBtnsAction();
    void allVGStoreItemsButtonAction();
    void purchasedVGStoreItemsButtonAction();
    // The frame of a full-screen page (the offer wall) opened inside `holder`: the bounds of the store
    // holding it (a store under the status bar is 460 high), or the 320 x 480 screen outside a store.
    static gfx::Rect pageFrameInside(const ui::View& holder);
    // "Get More": the offer wall for the account's currency on top of the store; returns it.
    std::shared_ptr<GetOffersView> panelButtonAction();
    void backtoGameAction();
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
    // A purchase closed its item page: a fresh store on "My Items" goes to the first window, this one
    // closes.
    void purchasedItemSuccessfullyAction();
    // The item page's download finished: the row opened last counts as downloaded.
    void updateDownloadStatusArray();
    void getAppIconSelector() {}

    // --- Closing ---
    // Gives the store back on the next turn of the run loop.
    void removeView();
    // Gives the store back a second later.
    void removeSelfView();
    // Leaves the superview, tells the host, ends every subscription, drops the cached lists and the failed
    // downloads, then releases the store (releaseMe) on the next turn. Runs once.
    void giveBackNotification();
    void releaseMe();

    // --- Table data source and delegate (get_virtual_goods_rows.cpp) ---
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(ui::TableView& tableView,
                                                           const ui::IndexPath& indexPath) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const ui::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

    // --- What the screen shows (for its owner and tests) ---
    const std::vector<ORVLocalVGStoreItem>& allVGStoreItemsArray() const { return allItems_; }
    const std::vector<ORVLocalVGStoreItem>& purchasedVGStoreItemsArray() const { return purchasedItems_; }
    const std::vector<int>& downloadStatusArray() const { return downloadStatus_; }
    const std::shared_ptr<ui::TableView>& allVGStoreItemsTableView() const { return allTable_; }
    const std::shared_ptr<ui::TableView>& purchasedVGStoreItemsTableView() const { return purchasedTable_; }
    const std::shared_ptr<ui::SegmentedControl>& segmentControl() const { return segmentControl_; }
    const std::shared_ptr<ORVUINavigationBarView>& headerView() const { return headerView_; }
    const std::shared_ptr<ORVUINavigationBarView>& lowerBar() const { return lowerBar_; }
    const std::shared_ptr<ui::Label>& costLabel() const { return costLabel_; }
    const std::shared_ptr<ui::Label>& lowerBarCurrencyLabel() const { return lowerBarCurrencyLabel_; }
    const std::shared_ptr<ui::Label>& dataAvailability() const { return dataAvailability_; }
    const std::shared_ptr<ui::View>& loadingImagePage() const { return loadingImagePage_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& genericIndicator() const { return genericIndicator_; }
    bool isShowMore25ForAll() const { return isShowMore25ForAll_; }
    bool fetchImageLocally() const { return fetchImageLocally_; }
    bool cancelButtonForAllVGStore() const { return cancelButtonForAllVGStore_; }
    // How many times the bought table was scrolled to scrollToRow (at most once).
    int initialScrolls() const { return initialScrolls_; }
    // The item page opened last while it is open.
    std::shared_ptr<AllVirtualGoodsDetailView> openPage() const { return openPage_.lock(); }
    bool givenBack() const { return givenBack_; }
    // The "My Items" segment is the selected one.
    bool purchasedSelected() const;
    // The four row backgrounds: normal available, normal bought, selected available, selected bought.
    const std::array<gfx::ImagePtr, 4>& cellBackgrounds() const { return cellBackgrounds_; }

private:
    // Subscriptions: each list's three are started and ended together, and again before it is asked anew.
    void addObserversForAllVGStoreItems();
    void addObserversForPurchasedVGStoreItems();
    void removeObserversForAllVGStoreItems() { allTokens_ = {}; }
    void removeObserversForPurchasedVGStoreItems() { purchasedTokens_ = {}; }
    void addObserverForSuccessfullPurchasedItem();
    void removeObserverForSuccessfullPurchasedItem() { purchaseToken_ = {}; }

    // The balance from the cached account: the "Get More" button, the column heading and the bottom label.
    void updateBalance();
    // The loading panel and spinner on or off.
    void showLoading(bool on);
    void setNoDataShown(bool shown);
    void showRetryAlert();
    // "No data available" while the list is empty and its empty flag is set.
    void updateNoDataFor(bool purchased);

    // Rows (get_virtual_goods_rows.cpp).
    void cellBackGroundImageView(int type, const std::shared_ptr<ui::TableViewCell>& cell);
    void myCustomTableRow(const ORVLocalVGStoreItem& item, double rowHeight,
                          const std::shared_ptr<ui::TableViewCell>& cell, bool purchased);
    void loadThumbnail(const ORVLocalVGStoreItem& item, const std::shared_ptr<ui::TableViewCell>& cell, bool fromFile);
    void scrollToInitialRow();
    void openItemPage(const ORVLocalVGStoreItem& item, int tabType, bool isPurchased, gfx::ImagePtr thumb);
    void requestNextAvailablePage(ui::TableView& tableView, const ui::IndexPath& indexPath);

    std::shared_ptr<ORVShadow> shadow_;
    std::vector<ORVLocalVGStoreItem> allItems_, purchasedItems_;
    std::vector<int> downloadStatus_;

    std::shared_ptr<ui::ActivityIndicatorView> genericIndicator_;
    std::shared_ptr<ui::View> loadingImagePage_;
    std::shared_ptr<ui::Label> loadingImageLabel_;
    std::shared_ptr<ui::Label> dataAvailability_;
    std::shared_ptr<ui::SegmentedControl> segmentControl_;
    std::shared_ptr<ORVUINavigationBarView> headerView_, lowerBar_;
    std::shared_ptr<ui::Label> costLabel_, lowerBarCurrencyLabel_;
    std::shared_ptr<ui::TableView> allTable_, purchasedTable_;
    std::array<gfx::ImagePtr, 4> cellBackgrounds_;
    std::weak_ptr<ui::AlertView> retryAlert_;
    std::weak_ptr<AllVirtualGoodsDetailView> openPage_;

    bool isShowMore25ForAll_ = false;
    bool isShowMore25ForPurchased_ = false;
    int allVGStoreDataRecieved_ = 0;
    int purchasedVGDataRecieved_ = 0;
    bool internetErrorForAllVGSTORE_ = false;
    bool cancelButtonForAllVGStore_ = false;
    bool showLbl1_ = false;
    bool showLbl3_ = false;
    bool fetchImageLocally_ = false;
    int lastIndexPressed_ = -1;
    bool isFirstTime_ = false;
    bool scrollTest_ = false;
    int initialScrolls_ = 0;
    bool loaded_ = false;
    bool closing_ = false;
    bool givenBack_ = false;

    std::array<fnd::ObserverToken, 3> allTokens_, purchasedTokens_;
    fnd::ObserverToken purchaseToken_, updateDownloadToken_, removeToken_;
    fnd::PerformHandle giveBackPerform_;
};

} // namespace zelvan::orvane
