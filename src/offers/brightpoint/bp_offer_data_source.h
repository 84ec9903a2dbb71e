// BPOfferDataSource: the rows of one offer sub-tab - an offer row per loaded offer, then the loading
// row ("Load More..." or a spinner). BPOfferTableView: the table they show in, rows 100 high.
#pragma once

#include <memory>
#include <string>

#include "offers/brightpoint/bp_data_source.h"
#include "platform/ui/table_view.h"

namespace zelvan::brightpoint {

class BPOfferDataSource : public BPDataSource, public ui::TableViewDataSource {
public:
    using BPDataSource::BPDataSource;

    // The number of offers plus the loading row.
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    // The loading row at index "number of offers" (spinning while a page loads, or while nothing has
    // arrived yet and there is a page to ask for); an offer row everywhere else.
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const fnd::IndexPath& indexPath) override;
};

class BPOfferTableView : public ui::TableView {
public:
    static constexpr double kRowHeight = 100;

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "BPOfferTableView"; }
};

} // namespace zelvan::brightpoint
