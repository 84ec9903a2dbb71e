// The rows of an offer sub-tab and the table that shows them.
#include "offers/brightpoint/bp_offer_data_source.h"

#include "offers/brightpoint/bp_loading_table_view_cell.h"
#include "offers/brightpoint/bp_offer_table_view_cell.h"

namespace zelvan::brightpoint {

BPOfferDataSource::BPOfferDataSource(std::string baseURL, BPPageServices services)
    : BPTableDataSource(std::move(baseURL), services.workers), services_(std::move(services)) {}

void BPOfferDataSource::styleLoadingCell(BPLoadingTableViewCell& cell) {
    cell.setActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::Gray);
}

std::shared_ptr<ui::TableViewCell> BPOfferDataSource::resultCell(ui::TableView& tableView, size_t row) {
    auto cell = dequeueOrCreate<BPOfferTableViewCell>(tableView, services_);
    cell->setOffer(results()[row]);
    return cell;
}

void BPOfferTableView::initWithFrame(gfx::Rect frame) {
    ui::TableView::initWithFrame(frame);
    setRowHeight(kRowHeight);
}

} // namespace zelvan::brightpoint
