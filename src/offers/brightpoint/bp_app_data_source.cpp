// The rows of an apps sub-tab and the table that shows them.
#include "offers/brightpoint/bp_app_data_source.h"

#include "offers/brightpoint/bp_app_table_view_cell.h"
#include "offers/brightpoint/bp_loading_table_view_cell.h"

namespace zelvan::brightpoint {

BPAppDataSource::BPAppDataSource(std::string baseURL, BPPageServices services)
    : BPTableDataSource(std::move(baseURL), services.workers), services_(std::move(services)) {}

void BPAppDataSource::styleLoadingCell(BPLoadingTableViewCell& cell) {
    // The white spinner turns on the table's own grey.
    cell.setBackgroundColor(gfx::Color(0, 0, 0, 0));
    cell.setActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::White);
}

std::shared_ptr<ui::TableViewCell> BPAppDataSource::resultCell(ui::TableView& tableView, size_t row) {
    auto cell = dequeueOrCreate<BPAppTableViewCell>(tableView, services_);
    cell->setApp(results()[row]);
    cell->setIsOdd(row % 2 == 1);
    return cell;
}

void BPAppTableView::initWithFrame(gfx::Rect frame) {
    ui::TableView::initWithFrame(frame);
    setRowHeight(kRowHeight);
    setBackgroundColor(gfx::Color(152 / 255.0, 152 / 255.0, 156 / 255.0, 1));
    setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
    setShowsVerticalScrollIndicator(true);
}

} // namespace zelvan::brightpoint
