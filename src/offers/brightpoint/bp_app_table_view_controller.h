// BPAppTableViewController: the offer wall's "Apps" tab. A strip of sub-tab buttons (one per configured
// app list) on a clear strip heads a table of that list's apps, fed page by page; the loading row asks for
// the next page and an app opens its "Details" page.
#pragma once

#include <memory>
#include <string>

#include "offers/brightpoint/bp_page_services.h"
#include "offers/brightpoint/bp_tabbed_table_view_controller.h"

namespace zelvan::brightpoint {

class BPAppTableViewController : public BPTabbedTableViewController {
public:
    // Pairs the configuration of `services`' client's app sub-tab titles with its URLs by position, up
    // to the shorter list; its lists, rows and details pages are handed `services`.
    explicit BPAppTableViewController(BPPageServices services);

    std::string className() const override { return "BPAppTableViewController"; }

    void tableViewWillDisplayCell(ui::TableView& tableView, ui::TableViewCell& cell,
                                  const fnd::IndexPath& indexPath) override;

protected:
    std::shared_ptr<ui::TableView> makeTableView(gfx::Rect frame) override;
    std::shared_ptr<BPTableDataSource> makeEmptyDataSource() override;
    void pushDetails(fnd::Value app) override;

private:
    const BPPageServices services_;
};

} // namespace zelvan::brightpoint
