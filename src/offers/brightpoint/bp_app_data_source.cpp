// The rows of an apps sub-tab and the table that shows them.
#include "offers/brightpoint/bp_app_data_source.h"

#include "offers/brightpoint/bp_app_table_view_cell.h"
#include "offers/brightpoint/bp_loading_table_view_cell.h"

namespace zelvan::brightpoint {

int BPAppDataSource::tableViewNumberOfRowsInSection(ui::TableView&, int) {
    return static_cast<int>(results().size()) + 1;
}

std::shared_ptr<ui::TableViewCell> BPAppDataSource::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                                   const fnd::IndexPath& indexPath) {
    const size_t row = static_cast<size_t>(indexPath.row);
    if (row >= results().size()) {
        auto cell = std::dynamic_pointer_cast<BPLoadingTableViewCell>(
            tableView.dequeueReusableCellWithIdentifier(BPLoadingTableViewCell::kReuseIdentifier));
        if (!cell) {
            cell = ui::TableViewCell::initWithStyle<BPLoadingTableViewCell>(ui::TableViewCellStyle::Default,
                                                                            BPLoadingTableViewCell::kReuseIdentifier);
        }
        // The white spinner turns on the table's own grey.
        cell->setBackgroundColor(gfx::Color(0, 0, 0, 0));
        cell->setActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::White);
        // Without a base URL there is nothing to wait for, so the lone row does not spin.
        const bool waitingForFirst = results().empty() && !hasCompletedInitialLoad() && !baseURL().empty();
        cell->setLoading(isLoading() || waitingForFirst);
        return cell;
    }
    auto cell = std::dynamic_pointer_cast<BPAppTableViewCell>(
        tableView.dequeueReusableCellWithIdentifier(BPAppTableViewCell::kReuseIdentifier));
    if (!cell) {
        cell = ui::TableViewCell::initWithStyle<BPAppTableViewCell>(ui::TableViewCellStyle::Default,
                                                                    BPAppTableViewCell::kReuseIdentifier);
    }
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
