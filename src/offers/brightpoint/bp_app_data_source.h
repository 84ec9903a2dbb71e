// BPAppDataSource: the rows of one apps sub-tab - an app row per loaded app (lighter and darker grey in
// turn), then the loading row (white spinner). BPAppTableView: the table they show in, rows 71 high, no
// separators.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "offers/brightpoint/bp_page_services.h"
#include "offers/brightpoint/bp_table_data_source.h"
#include "platform/ui/table_view.h"

namespace zelvan::brightpoint {

class BPAppDataSource : public BPTableDataSource {
public:
    // No list: the lone loading row of a tab without sub-tabs.
    BPAppDataSource() = default;
    // The list at `baseURL`; its rows are handed `services`.
    BPAppDataSource(std::string baseURL, BPPageServices services);

protected:
    void styleLoadingCell(BPLoadingTableViewCell& cell) override;
    std::shared_ptr<ui::TableViewCell> resultCell(ui::TableView& tableView, size_t row) override;

private:
    BPPageServices services_;
};

class BPAppTableView : public ui::TableView {
public:
    static constexpr double kRowHeight = 71;

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "BPAppTableView"; }
};

} // namespace zelvan::brightpoint
