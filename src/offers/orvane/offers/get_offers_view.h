// GetOffersView: the offer wall - a header with a close button, an offers / videos tab strip and a table
// of the account's offers from the offer service (cached in the model), each row with its advertiser's
// icon. A tapped offer opens its OffersDetailView; a video row plays its video and the videos tab plays
// them all. Made for the account's points id by its opener, or for one virtual good by the store
// (mode 1, which also closes on "ORV_REMOVE_OFFERS_VIEW"). Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "offers/orvane/client/orv_goods_records.h"
#include "offers/orvane/offers/orv_offer_list.h"
#include "platform/foundation/observer_token.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/segmented_control.h"
#include "platform/ui/table_view.h"

namespace zelvan::orvane {

class ORVUINavigationBarView;
class OffersDetailView;
class ORVVideoPlayer;

class GetOffersView : public ui::View,
                      public ui::TableViewDataSource,
                      public ui::TableViewDelegate,
                      public ui::AlertViewDelegate {
public:
    enum Tab { OffersTab = 0, VideosTab = 1 };
    static constexpr int kPageSize = 100;
    static constexpr double kRowHeight = 70;
    static constexpr double kTabStripHeight = 36;
    static constexpr const char* kCellIdentifier = "ORVOfferCell";
    static constexpr const char* kFailureMessage = "Service is unreachable.\nDo you want to try again?";

    // The wall of the account's offers.
    static std::shared_ptr<GetOffersView> initWithPublisherUserId(const std::string& publisherUserId, gfx::Rect frame);
    // The wall opened by the store for `item` on `tab` (mode 1): the facade's item name becomes the item's.
    static std::shared_ptr<GetOffersView> initWithFrame(gfx::Rect frame, const ORVAllVGStoreItemClass& item, int tab);
    ~GetOffersView() override;
    void initWithFrame(gfx::Rect frame) override { ui::View::initWithFrame(frame); }
    std::string className() const override { return "GetOffersView"; }

    // The transition the wall comes in with (its reverse takes it out); the facade's until set.
    void setAnimationMode(int mode) { animationMode_ = mode; }
    // Opened by another SDK view: closing then posts no "ORV_SHOW_BOX_NOTIFICATION".
    void setIsInternallyOpened(bool internal) { isInternallyOpened_ = internal; }
    // Builds the wall and asks for the offers (at once from the model's cache when it holds them).
    void myLoadView();

    int offersViewMode() const { return offersViewMode_; }
    const std::string& publisherUserId() const { return publisherUserId_; }
    int selectedTab() const { return selectedTab_; }
    void selectTab(int tab);
    // The rows the current tab shows.
    const std::vector<std::shared_ptr<const ORVOfferReturnClass>>& rowsOfTab(int tab) const {
        return tab == VideosTab ? videos_ : offers_;
    }
    // Opens the detail page of an offer (the Part's sequence); returns it.
    std::shared_ptr<OffersDetailView> showDetail(const std::shared_ptr<const ORVOfferReturnClass>& offer);
    // Plays every video offer in order.
    void playAllVideos();
    // Closes the wall: out with the reverse transition, "ORV_SHOW_BOX_NOTIFICATION" unless opened inside
    // the SDK.
    void removeSelfView();
    // Asks the offer service for the list again.
    void requestOffers();

    const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
    const std::shared_ptr<ORVUINavigationBarView>& headerView() const { return headerView_; }
    const std::shared_ptr<ui::SegmentedControl>& tabStrip() const { return tabStrip_; }
    bool requestInFlight() const { return requestInFlight_; }
    // The player of the last video started from the wall while it plays.
    std::shared_ptr<ORVVideoPlayer> videoPlayer() const { return player_.lock(); }

    // Table data source and delegate.
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const ui::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    // 1 (Retry) asks again; the rows shown stay either way.
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

private:
    void showList(const ORVOfferList& list);
    void rowTapped(int tab, int row);

    std::string publisherUserId_;
    int offersViewMode_ = 0;
    std::optional<ORVAllVGStoreItemClass> item_;
    int startingTab_ = OffersTab;
    int selectedTab_ = OffersTab;
    std::optional<int> animationMode_;
    bool isInternallyOpened_ = false;
    bool loaded_ = false;
    bool closing_ = false;
    bool requestInFlight_ = false;
    std::vector<std::shared_ptr<const ORVOfferReturnClass>> offers_;
    std::vector<std::shared_ptr<const ORVOfferReturnClass>> videos_;
    std::shared_ptr<ORVUINavigationBarView> headerView_;
    std::shared_ptr<ui::SegmentedControl> tabStrip_;
    std::shared_ptr<ui::TableView> tableView_;
    fnd::ObserverToken removeObserver_;
    std::weak_ptr<ORVVideoPlayer> player_;
};

} // namespace zelvan::orvane
