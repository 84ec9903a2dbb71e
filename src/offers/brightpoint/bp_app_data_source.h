// BPAppDataSource: the rows of one apps sub-tab - an app row per loaded app (lighter and darker grey in
// turn), then the loading row. BPAppTableView: the table they show in, rows 71 high, no separators.
#pragma once

#include <memory>
#include <string>

#include "offers/brightpoint/bp_data_source.h"
#include "platform/ui/table_view.h"

namespace zelvan::brightpoint {

class BPAppDataSource : public BPDataSource, public ui::TableViewDataSource {
public:
    using BPDataSource::BPDataSource;

    // The number of apps plus the loading row.
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    // The loading row (white spinner) at index "number of apps", spinning while a page loads or while
    // nothing has arrived and the first load has not completed; an app row everywhere else.
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const fnd::IndexPath& indexPath) override;
};

class BPAppTableView : public ui::TableView {
public:
    static constexpr double kRowHeight = 71;

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "BPAppTableView"; }
};

} // namespace zelvan::brightpoint
