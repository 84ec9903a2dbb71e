// BPOfferTableViewController: the offer wall's "Offers" tab. A strip of sub-tab buttons (one per
// configured offer list) on a light grey strip heads a table of that list's offers, fed page by page;
// "Load More..." asks for the next page and an offer opens its details page.
#pragma once

#include <memory>
#include <string>

#include "offers/brightpoint/bp_page_services.h"
#include "offers/brightpoint/bp_tabbed_table_view_controller.h"

namespace zelvan::brightpoint {

class BPOfferTableViewController : public BPTabbedTableViewController {
public:
    // Pairs the configuration of `services`' client's offer sub-tab titles with its URLs by position, up
    // to the shorter list; its lists, rows and details pages are handed `services`.
    explicit BPOfferTableViewController(BPPageServices services);

    std::string className() const override { return "BPOfferTableViewController"; }

    void tableViewWillDisplayCell(ui::TableView& tableView, ui::TableViewCell& cell,
                                  const fnd::IndexPath& indexPath) override;

protected:
    std::shared_ptr<ui::TableView> makeTableView(gfx::Rect frame) override;
    std::shared_ptr<BPTableDataSource> makeEmptyDataSource() override;
    void pushDetails(fnd::Value offer) override;

private:
    const BPPageServices services_;
};

} // namespace zelvan::brightpoint
