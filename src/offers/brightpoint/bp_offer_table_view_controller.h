// BPOfferTableViewController: the offer wall's "Offers" tab. A strip of sub-tab buttons (one per
// configured offer list) heads a table of that list's offers, fed page by page; "Load More..." asks for
// the next page and an offer opens its details page.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "offers/brightpoint/bp_data_source.h"
#include "offers/brightpoint/bp_offer_data_source.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/view_controller.h"

namespace zelvan::brightpoint {

class BPOfferTableViewController : public ui::ViewController,
                                   public ui::TableViewDelegate,
                                   public BPDataSourceDelegate {
public:
    static constexpr double kHeaderHeight = 40;

    // Pairs the configuration's offer sub-tab titles with its URLs by position, up to the shorter list.
    BPOfferTableViewController();

    std::string className() const override { return "BPOfferTableViewController"; }
    // The table (the view's bounds less 93 points of height) becomes the view; then the sub-tab strip,
    // then the selected sub-tab.
    void viewDidLoad() override;
    // Builds the sub-tab strip as the table's header.
    void loadHeader();
    // Shows the sub-tab whose title is the button's (the first of equal titles), loading its first page
    // when it never completed one.
    void switchTab(const std::shared_ptr<ui::Button>& button);

    void scrollViewDidScroll(ui::ScrollView& scrollView) override;
    void tableViewWillDisplayCell(ui::TableView& tableView, ui::TableViewCell& cell,
                                  const fnd::IndexPath& indexPath) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(ui::TableView& tableView,
                                                           const fnd::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const fnd::IndexPath& indexPath) override;

    void didFinishLoadingFromDataSource(BPDataSource& dataSource) override;
    void offersFailedLoadingFromDataSource(BPDataSource& dataSource) override;

    const std::shared_ptr<BPOfferTableView>& tableView() const { return tableView_; }
    const std::shared_ptr<BPOfferDataSource>& dataSource() const { return dataSource_; }
    const std::vector<std::string>& titles() const { return titles_; }
    const std::vector<std::shared_ptr<BPOfferDataSource>>& dataSources() const { return dataSources_; }
    const std::vector<std::shared_ptr<ui::Button>>& tabButtons() const { return tabButtons_; }
    const std::shared_ptr<ui::Button>& selectedButton() const { return selectedButton_; }
    int selectedIndex() const { return selectedIndex_; }
    const std::shared_ptr<ui::ScrollView>& tabsContainer() const { return tabsContainer_; }
    const std::shared_ptr<ui::ImageView>& leftScrollOverlay() const { return leftScrollOverlay_; }
    const std::shared_ptr<ui::ImageView>& rightScrollOverlay() const { return rightScrollOverlay_; }

private:
    std::shared_ptr<BPOfferTableViewController> self();

    std::shared_ptr<BPOfferTableView> tableView_;
    std::shared_ptr<BPOfferDataSource> dataSource_;
    std::vector<std::string> titles_;
    std::vector<std::shared_ptr<BPOfferDataSource>> dataSources_;
    std::vector<std::shared_ptr<ui::Button>> tabButtons_;
    std::shared_ptr<ui::Button> selectedButton_;
    int selectedIndex_ = 0;
    std::shared_ptr<ui::ScrollView> tabsContainer_;
    std::shared_ptr<ui::ImageView> leftScrollOverlay_;
    std::shared_ptr<ui::ImageView> rightScrollOverlay_;
};

} // namespace zelvan::brightpoint
