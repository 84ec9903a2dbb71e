// The "Apps" tab: its look, its rows' icons and the page a tapped app opens.
#include "offers/brightpoint/bp_app_table_view_controller.h"

#include <utility>

#include "offers/brightpoint/bp_app_data_source.h"
#include "offers/brightpoint/bp_app_table_view_cell.h"
#include "offers/brightpoint/bp_app_view_controller.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/ui/navigation_controller.h"

namespace zelvan::brightpoint {

BPAppTableViewController::BPAppTableViewController(BPPageServices services)
    : BPTabbedTableViewController({gfx::Color(0, 0, 0, 0), "BPScrollLeftOverlayDarkGray.png",
                                   "BPScrollRightOverlayDarkGray.png", BPAppTableView::kRowHeight,
                                   ui::ActivityIndicatorViewStyle::White}),
      services_(std::move(services)) {
    if (auto client = services_.client.lock()) {
        const BPConfiguration& config = client->configuration();
        addTabs<BPAppDataSource>(config.appTabTitles, config.appTabUrls, "app", services_);
    }
}

void BPAppTableViewController::tableViewWillDisplayCell(ui::TableView&, ui::TableViewCell& cell,
                                                        const fnd::IndexPath&) {
    if (auto* appCell = dynamic_cast<BPAppTableViewCell*>(&cell)) {
        appCell->showImage();
    }
}

std::shared_ptr<ui::TableView> BPAppTableViewController::makeTableView(gfx::Rect frame) {
    return ui::View::create<BPAppTableView>(frame);
}

std::shared_ptr<BPTableDataSource> BPAppTableViewController::makeEmptyDataSource() {
    return std::make_shared<BPAppDataSource>();
}

void BPAppTableViewController::pushDetails(fnd::Value app) {
    auto details = std::make_shared<BPAppViewController>(services_);
    details->setTitle("Details");
    if (auto nav = navigationController()) {
        nav->pushViewController(details, ui::Animated::Yes);
    }
    details->setApp(app);
}

} // namespace zelvan::brightpoint
