// The rows shared by the offer wall's paged lists: item rows, then the loading row.
#include "offers/brightpoint/bp_table_data_source.h"

#include "offers/brightpoint/bp_loading_table_view_cell.h"

namespace zelvan::brightpoint {

int BPTableDataSource::tableViewNumberOfRowsInSection(ui::TableView&, int) {
    return static_cast<int>(results().size()) + 1;
}

std::shared_ptr<ui::TableViewCell> BPTableDataSource::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                                     const fnd::IndexPath& indexPath) {
    const size_t row = static_cast<size_t>(indexPath.row);
    if (row < results().size()) {
        return resultCell(tableView, row);
    }
    auto cell = dequeueOrCreate<BPLoadingTableViewCell>(tableView);
    styleLoadingCell(*cell);
    // Without a base URL there is nothing to wait for, so the lone row does not spin.
    const bool waitingForFirst = results().empty() && !hasCompletedInitialLoad() && !baseURL().empty();
    cell->setLoading(isLoading() || waitingForFirst);
    return cell;
}

} // namespace zelvan::brightpoint
