// The "Offers" tab: its look, its rows' icons and the page a tapped offer opens.
#include "offers/brightpoint/bp_offer_table_view_controller.h"

#include <utility>

#include "offers/brightpoint/bp_offer_data_source.h"
#include "offers/brightpoint/bp_offer_table_view_cell.h"
#include "offers/brightpoint/bp_offer_view_controller.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/ui/navigation_controller.h"

namespace zelvan::brightpoint {

BPOfferTableViewController::BPOfferTableViewController(BPPageServices services)
    : BPTabbedTableViewController({gfx::Color(238 / 255.0, 238 / 255.0, 238 / 255.0, 1),
                                   "BPScrollLeftOverlayLightGray.png", "BPScrollRightOverlayLightGray.png",
                                   BPOfferTableView::kRowHeight, ui::ActivityIndicatorViewStyle::Gray}),
      services_(std::move(services)) {
    if (auto client = services_.client.lock()) {
        const BPConfiguration& config = client->configuration();
        addTabs<BPOfferDataSource>(config.offerTabTitles, config.offerTabUrls, "offer", services_);
    }
}

void BPOfferTableViewController::tableViewWillDisplayCell(ui::TableView&, ui::TableViewCell& cell,
                                                          const fnd::IndexPath&) {
    if (auto* offerCell = dynamic_cast<BPOfferTableViewCell*>(&cell)) {
        offerCell->showImage();
    }
}

std::shared_ptr<ui::TableView> BPOfferTableViewController::makeTableView(gfx::Rect frame) {
    return ui::View::create<BPOfferTableView>(frame);
}

std::shared_ptr<BPTableDataSource> BPOfferTableViewController::makeEmptyDataSource() {
    return std::make_shared<BPOfferDataSource>();
}

void BPOfferTableViewController::pushDetails(fnd::Value offer) {
    auto details = std::make_shared<BPOfferViewController>(services_);
    details->setTitle("Details");
    if (auto nav = navigationController()) {
        nav->pushViewController(details, ui::Animated::Yes);
    }
    details->setOffer(std::move(offer));
}

} // namespace zelvan::brightpoint
