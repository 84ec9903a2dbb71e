// The rows of an offer sub-tab and the table that shows them.
#include "offers/brightpoint/bp_offer_data_source.h"

#include "offers/brightpoint/bp_loading_table_view_cell.h"
#include "offers/brightpoint/bp_offer_table_view_cell.h"

namespace zelvan::brightpoint {

int BPOfferDataSource::tableViewNumberOfRowsInSection(ui::TableView&, int) {
    return static_cast<int>(results().size()) + 1;
}

std::shared_ptr<ui::TableViewCell> BPOfferDataSource::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                                     const fnd::IndexPath& indexPath) {
    const size_t row = static_cast<size_t>(indexPath.row);
    if (row >= results().size()) {
        auto cell = std::dynamic_pointer_cast<BPLoadingTableViewCell>(
            tableView.dequeueReusableCellWithIdentifier(BPLoadingTableViewCell::kReuseIdentifier));
        if (!cell) {
            cell = ui::TableViewCell::initWithStyle<BPLoadingTableViewCell>(ui::TableViewCellStyle::Default,
                                                                            BPLoadingTableViewCell::kReuseIdentifier);
        }
        cell->setActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::Gray);
        cell->setLoading(false);
        // Without a base URL there is nothing to wait for, so the lone row does not spin.
        const bool waitingForFirst = results().empty() && !hasCompletedInitialLoad() && !baseURL().empty();
        if (isLoading() || waitingForFirst) {
            cell->setLoading(true);
        }
        return cell;
    }
    auto cell = std::dynamic_pointer_cast<BPOfferTableViewCell>(
        tableView.dequeueReusableCellWithIdentifier(BPOfferTableViewCell::kReuseIdentifier));
    if (!cell) {
        cell = ui::TableViewCell::initWithStyle<BPOfferTableViewCell>(ui::TableViewCellStyle::Default,
                                                                      BPOfferTableViewCell::kReuseIdentifier);
    }
    cell->setOffer(results()[row]);
    return cell;
}

void BPOfferTableView::initWithFrame(gfx::Rect frame) {
    ui::TableView::initWithFrame(frame);
    setRowHeight(kRowHeight);
}

} // namespace zelvan::brightpoint
