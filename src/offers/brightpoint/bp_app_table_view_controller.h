// BPAppTableViewController: the offer wall's "Apps" tab. A strip of sub-tab buttons (one per configured
// app list) heads a table of that list's apps, fed page by page; the loading row asks for the next page
// and an app opens its "Details" page.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "offers/brightpoint/bp_app_data_source.h"
#include "offers/brightpoint/bp_data_source.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/view_controller.h"

namespace zelvan::brightpoint {

class BPAppTableViewController : public ui::ViewController, public ui::TableViewDelegate, public BPDataSourceDelegate {
public:
    static constexpr double kHeaderHeight = 40;

    // Pairs the configuration's app sub-tab titles with its URLs by position, up to the shorter list.
    BPAppTableViewController();

    std::string className() const override { return "BPAppTableViewController"; }
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

    const std::shared_ptr<BPAppTableView>& tableView() const { return tableView_; }
    const std::shared_ptr<BPAppDataSource>& dataSource() const { return dataSource_; }
    const std::vector<std::string>& titles() const { return titles_; }
    const std::vector<std::shared_ptr<BPAppDataSource>>& dataSources() const { return dataSources_; }
    const std::vector<std::shared_ptr<ui::Button>>& tabButtons() const { return tabButtons_; }
    const std::shared_ptr<ui::Button>& selectedButton() const { return selectedButton_; }
    int selectedIndex() const { return selectedIndex_; }
    const std::shared_ptr<ui::ScrollView>& tabsContainer() const { return tabsContainer_; }
    const std::shared_ptr<ui::ImageView>& leftScrollOverlay() const { return leftScrollOverlay_; }
    const std::shared_ptr<ui::ImageView>& rightScrollOverlay() const { return rightScrollOverlay_; }

private:
    std::shared_ptr<BPAppTableViewController> self();

    std::shared_ptr<BPAppTableView> tableView_;
    std::shared_ptr<BPAppDataSource> dataSource_;
    std::vector<std::string> titles_;
    std::vector<std::shared_ptr<BPAppDataSource>> dataSources_;
    std::vector<std::shared_ptr<ui::Button>> tabButtons_;
    std::shared_ptr<ui::Button> selectedButton_;
    int selectedIndex_ = 0;
    std::shared_ptr<ui::ScrollView> tabsContainer_;
    std::shared_ptr<ui::ImageView> leftScrollOverlay_;
    std::shared_ptr<ui::ImageView> rightScrollOverlay_;
};

} // namespace zelvan::brightpoint
