// BPOfferDataSource: the rows of one offer sub-tab - an offer row per loaded offer, then the loading
// row ("Load More..." or a grey spinner). BPOfferTableView: the table they show in, rows 100 high.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "offers/brightpoint/bp_page_services.h"
#include "offers/brightpoint/bp_table_data_source.h"
#include "platform/ui/table_view.h"

namespace zelvan::brightpoint {

class BPOfferDataSource : public BPTableDataSource {
public:
    // No list: the lone loading row of a tab without sub-tabs.
    BPOfferDataSource() = default;
    // The list at `baseURL`; its rows are handed `services`.
    BPOfferDataSource(std::string baseURL, BPPageServices services);

protected:
    void styleLoadingCell(BPLoadingTableViewCell& cell) override;
    std::shared_ptr<ui::TableViewCell> resultCell(ui::TableView& tableView, size_t row) override;

private:
    BPPageServices services_;
};

class BPOfferTableView : public ui::TableView {
public:
    static constexpr double kRowHeight = 100;

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "BPOfferTableView"; }
};

} // namespace zelvan::brightpoint
