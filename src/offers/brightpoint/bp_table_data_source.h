// BPTableDataSource: the rows of one paged list of the offer wall - a row per loaded item, then the
// loading row that asks for the next page. The offer and app lists say how their rows look.
#pragma once

#include <cstddef>
#include <memory>

#include "offers/brightpoint/bp_data_source.h"
#include "platform/ui/table_view.h"

namespace zelvan::brightpoint {

class BPLoadingTableViewCell;

class BPTableDataSource : public BPDataSource, public ui::TableViewDataSource {
public:
    using BPDataSource::BPDataSource;

    // The number of loaded items plus the loading row.
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    // The loading row at index "number of items", spinning while a page loads or while nothing has
    // arrived yet and there is a page to ask for; an item row everywhere else.
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const fnd::IndexPath& indexPath) override;

protected:
    // Gives the loading row this list's look (spinner colour, background).
    virtual void styleLoadingCell(BPLoadingTableViewCell& cell) = 0;
    // The row of loaded item `row` (below the number of results).
    virtual std::shared_ptr<ui::TableViewCell> resultCell(ui::TableView& tableView, size_t row) = 0;

    // A reused cell of `Cell`'s kind from `tableView`, or a new one made with `extra` after its style and
    // reuse identifier.
    template <class Cell, class... Extra>
    static std::shared_ptr<Cell> dequeueOrCreate(ui::TableView& tableView, const Extra&... extra) {
        auto cell =
            std::dynamic_pointer_cast<Cell>(tableView.dequeueReusableCellWithIdentifier(Cell::kReuseIdentifier));
        if (!cell) {
            cell = ui::TableViewCell::initWithStyle<Cell>(ui::TableViewCellStyle::Default, Cell::kReuseIdentifier,
                                                          extra...);
        }
        return cell;
    }
};

} // namespace zelvan::brightpoint
