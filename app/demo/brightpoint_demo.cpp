// The demo's view of the Brightpoint offer wall, through the client's root page.
#include "app/demo/brightpoint_demo.h"

#include "offers/brightpoint/bp_offer_support.h"
#include "offers/brightpoint/bp_offer_table_view_cell.h"
#include "offers/brightpoint/bp_offer_table_view_controller.h"
#include "offers/brightpoint/bp_payment_controller.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/ui/navigation_controller.h"

namespace zelvan::app {

namespace {

std::shared_ptr<brightpoint::BPOfferTableViewController> offersTab() {
    auto wall = brightpointWall();
    auto index = brightpointOffersTab();
    if (!wall || !index) {
        return nullptr;
    }
    auto nav = std::dynamic_pointer_cast<ui::NavigationController>(wall->viewControllers()[*index]);
    return nav && !nav->viewControllers().empty()
               ? std::dynamic_pointer_cast<brightpoint::BPOfferTableViewController>(nav->viewControllers().front())
               : nullptr;
}

} // namespace

std::shared_ptr<ui::TabBarController> brightpointWall() {
    auto client = brightpoint::Brightpoint::shared();
    auto root = client ? client->rootController() : nullptr;
    return root ? std::dynamic_pointer_cast<brightpoint::BPPaymentController>(root->modalViewController()) : nullptr;
}

std::optional<size_t> brightpointOffersTab() {
    auto wall = brightpointWall();
    if (!wall) {
        return std::nullopt;
    }
    const auto& tabs = wall->viewControllers();
    for (size_t i = 0; i < tabs.size(); ++i) {
        auto nav = std::dynamic_pointer_cast<ui::NavigationController>(tabs[i]);
        if (nav && !nav->viewControllers().empty() &&
            std::dynamic_pointer_cast<brightpoint::BPOfferTableViewController>(nav->viewControllers().front())) {
            return i;
        }
    }
    return std::nullopt;
}

bool brightpointOffersShown() {
    auto tab = offersTab();
    if (!tab || !tab->isViewLoaded() || !tab->dataSource() || tab->dataSource()->results().empty()) {
        return false;
    }
    int icons = 0;
    for (const auto& cell : tab->tableView()->visibleCells()) {
        auto row = std::dynamic_pointer_cast<brightpoint::BPOfferTableViewCell>(cell);
        if (row && brightpoint::BPOfferHasImage(row->offer())) {
            if (row->offerImageView()->image() == row->placeholderImage()) {
                return false;
            }
            ++icons;
        }
    }
    return icons > 0;
}

std::string brightpointOffersReport() {
    auto tab = offersTab();
    if (!tab || !tab->dataSource()) {
        return "no offer list";
    }
    int icons = 0;
    std::string first;
    for (const auto& cell : tab->tableView()->visibleCells()) {
        auto row = std::dynamic_pointer_cast<brightpoint::BPOfferTableViewCell>(cell);
        if (row && brightpoint::BPOfferHasImage(row->offer()) &&
            row->offerImageView()->image() != row->placeholderImage()) {
            if (first.empty()) {
                first = brightpoint::BPOfferText(row->offer(), "image_url");
            }
            ++icons;
        }
    }
    return std::to_string(tab->dataSource()->results().size()) + " offers listed, " + std::to_string(icons) +
           " icons shown, first " + first;
}

void closeBrightpointWall() {
    if (auto client = brightpoint::Brightpoint::shared()) {
        client->dismissWindow();
    }
}

} // namespace zelvan::app
