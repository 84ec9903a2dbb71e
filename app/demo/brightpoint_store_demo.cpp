// The demo's view of the offer wall's Apps tab and currency store, through the wall's tab bar.
#include "app/demo/brightpoint_store_demo.h"

#include <memory>

#include "app/demo/brightpoint_demo.h"
#include "offers/brightpoint/bp_app_table_view_cell.h"
#include "offers/brightpoint/bp_app_table_view_controller.h"
#include "offers/brightpoint/bp_in_app_view_controller.h"
#include "platform/ui/navigation_controller.h"

namespace zelvan::app {

namespace {

// The root page of the wall's tab at `index` as a T, or null.
template <class T>
std::shared_ptr<T> tabRoot(std::optional<size_t> index) {
    auto wall = brightpointWall();
    if (!wall || !index || *index >= wall->viewControllers().size()) {
        return nullptr;
    }
    auto nav = std::dynamic_pointer_cast<ui::NavigationController>(wall->viewControllers()[*index]);
    return nav && !nav->viewControllers().empty() ? std::dynamic_pointer_cast<T>(nav->viewControllers().front())
                                                  : nullptr;
}

template <class T>
std::optional<size_t> tabOf() {
    auto wall = brightpointWall();
    for (size_t i = 0; wall && i < wall->viewControllers().size(); ++i) {
        if (tabRoot<T>(i)) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<size_t> brightpointAppsTab() {
    return tabOf<brightpoint::BPAppTableViewController>();
}

std::optional<size_t> brightpointStoreTab() {
    return tabOf<brightpoint::BPInAppViewController>();
}

bool brightpointAppsShown() {
    auto tab = tabRoot<brightpoint::BPAppTableViewController>(brightpointAppsTab());
    if (!tab || !tab->isViewLoaded() || !tab->dataSource() || tab->dataSource()->results().empty()) {
        return false;
    }
    int icons = 0;
    for (const auto& cell : tab->tableView()->visibleCells()) {
        if (auto row = std::dynamic_pointer_cast<brightpoint::BPAppTableViewCell>(cell)) {
            if (row->appImageView()->image() == row->placeholderImage()) {
                return false;
            }
            ++icons;
        }
    }
    return icons > 0;
}

bool brightpointStoreShown() {
    auto store = tabRoot<brightpoint::BPInAppViewController>(brightpointStoreTab());
    return store && store->isViewLoaded() && !store->buttons().empty() && !store->isLoadingShown();
}

bool brightpointBuyFirstPack() {
    auto store = tabRoot<brightpoint::BPInAppViewController>(brightpointStoreTab());
    if (!store || store->buttons().empty()) {
        return false;
    }
    store->buttons().front()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    return true;
}

std::string brightpointAppsReport() {
    auto tab = tabRoot<brightpoint::BPAppTableViewController>(brightpointAppsTab());
    if (!tab || !tab->dataSource()) {
        return "no app list";
    }
    int icons = 0;
    for (const auto& cell : tab->tableView()->visibleCells()) {
        auto row = std::dynamic_pointer_cast<brightpoint::BPAppTableViewCell>(cell);
        icons += row && row->appImageView()->image() != row->placeholderImage() ? 1 : 0;
    }
    return std::to_string(tab->dataSource()->results().size()) + " apps listed, " + std::to_string(icons) +
           " icons shown";
}

std::string brightpointStoreReport() {
    auto store = tabRoot<brightpoint::BPInAppViewController>(brightpointStoreTab());
    if (!store) {
        return "no store";
    }
    std::string text = std::to_string(store->storeKitProducts().size()) + " packs:";
    for (const auto& product : store->storeKitProducts()) {
        text += " " + product.localizedTitle + ";";
    }
    return text;
}

} // namespace zelvan::app
