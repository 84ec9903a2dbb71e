// BPTabbedTableViewController: a tab of the offer wall made of a strip of sub-tab buttons (one per
// configured list) heading a table of that list's items, fed page by page. The loading row asks for the
// next page and an item opens its details page; the offer and app tabs say how they look and what opens.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "offers/brightpoint/bp_data_source.h"
#include "offers/brightpoint/bp_table_data_source.h"
#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/view_controller.h"

namespace zelvan::brightpoint {

// What differs between the tabs' strips and tables.
struct BPTabbedTableLook {
    gfx::Color stripBackground;
    std::string leftOverlayImage;
    std::string rightOverlayImage;
    // The height of an item row.
    double rowHeight = 0;
    // The spinner of the loading row once it is tapped.
    ui::ActivityIndicatorViewStyle loadingSpinner = ui::ActivityIndicatorViewStyle::Gray;
};

class BPTabbedTableViewController : public ui::ViewController,
                                    public ui::TableViewDelegate,
                                    public BPDataSourceDelegate {
public:
    static constexpr double kHeaderHeight = 40;

    // The table (the view's bounds less 93 points of height) becomes the view; then the sub-tab strip,
    // then the selected sub-tab.
    void viewDidLoad() override;
    // Builds the sub-tab strip as the table's header.
    void loadHeader();
    // Shows the sub-tab whose title is the button's (the first of equal titles), loading its first page
    // when it never completed one.
    void switchTab(const std::shared_ptr<ui::Button>& button);

    void scrollViewDidScroll(ui::ScrollView& scrollView) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(ui::TableView& tableView,
                                                           const fnd::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const fnd::IndexPath& indexPath) override;

    void didFinishLoadingFromDataSource(BPDataSource& dataSource) override;
    void offersFailedLoadingFromDataSource(BPDataSource& dataSource) override;

    const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
    const std::shared_ptr<BPTableDataSource>& dataSource() const { return dataSource_; }
    const std::vector<std::string>& titles() const { return titles_; }
    const std::vector<std::shared_ptr<BPTableDataSource>>& dataSources() const { return dataSources_; }
    const std::vector<std::shared_ptr<ui::Button>>& tabButtons() const { return tabButtons_; }
    const std::shared_ptr<ui::Button>& selectedButton() const { return selectedButton_; }
    int selectedIndex() const { return selectedIndex_; }
    const std::shared_ptr<ui::ScrollView>& tabsContainer() const { return tabsContainer_; }
    const std::shared_ptr<ui::ImageView>& leftScrollOverlay() const { return leftScrollOverlay_; }
    const std::shared_ptr<ui::ImageView>& rightScrollOverlay() const { return rightScrollOverlay_; }

protected:
    explicit BPTabbedTableViewController(BPTabbedTableLook look);

    // Adds a sub-tab per configured list, pairing `titles` with `urls` by position up to the shorter list
    // (one log line naming the `kind` of list when their lengths differ); each list is made from its URL
    // and `extra`.
    template <class Source, class... Extra>
    void addTabs(const std::vector<std::string>& titles, const std::vector<std::string>& urls, const char* kind,
                 const Extra&... extra) {
        const size_t pairs = pairedTabCount(titles, urls, kind);
        for (size_t i = 0; i < pairs; ++i) {
            titles_.push_back(titles[i]);
            dataSources_.push_back(std::make_shared<Source>(urls[i], extra...));
        }
    }

    // The tab's own table in `frame`.
    virtual std::shared_ptr<ui::TableView> makeTableView(gfx::Rect frame) = 0;
    // The tab's own list without a URL: the lone loading row shown when no sub-tab is configured.
    virtual std::shared_ptr<BPTableDataSource> makeEmptyDataSource() = 0;
    // Opens the details page of a tapped item (a copy, so it stays whole whatever the list does meanwhile).
    virtual void pushDetails(fnd::Value item) = 0;

private:
    static size_t pairedTabCount(const std::vector<std::string>& titles, const std::vector<std::string>& urls,
                                 const char* kind);
    std::shared_ptr<BPTabbedTableViewController> self();
    // A sub-tab button's action: switches to its sub-tab.
    void tabButtonPressed(ui::Control& sender);

    BPTabbedTableLook look_;
    std::shared_ptr<ui::TableView> tableView_;
    std::shared_ptr<BPTableDataSource> dataSource_;
    std::vector<std::string> titles_;
    std::vector<std::shared_ptr<BPTableDataSource>> dataSources_;
    std::vector<std::shared_ptr<ui::Button>> tabButtons_;
    std::shared_ptr<ui::Button> selectedButton_;
    int selectedIndex_ = 0;
    std::shared_ptr<ui::ScrollView> tabsContainer_;
    std::shared_ptr<ui::ImageView> leftScrollOverlay_;
    std::shared_ptr<ui::ImageView> rightScrollOverlay_;
};

} // namespace zelvan::brightpoint
