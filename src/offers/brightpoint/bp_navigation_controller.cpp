// The offer wall's navigation and its "Close" button.
#include "offers/brightpoint/bp_navigation_controller.h"

#include "platform/ui/bar_button_item.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/navigation_item.h"

namespace zelvan::brightpoint {

std::shared_ptr<BPNavigationController>
BPNavigationController::navigationControllerWithInstantiatedController(std::shared_ptr<ui::ViewController> root,
                                                                       std::function<void()> closeWall) {
    auto nav = std::make_shared<BPNavigationController>();
    nav->closeWall_ = std::move(closeWall);
    nav->pushViewController(std::move(root), ui::Animated::No);
    return nav;
}

void BPNavigationController::viewDidLoad() {
    ui::NavigationController::viewDidLoad();
    setDelegate(std::static_pointer_cast<BPNavigationController>(shared_from_this()));
    navigationBar()->setBarStyle(ui::BarStyle::Black);
}

void BPNavigationController::navigationControllerWillShowViewController(ui::NavigationController&,
                                                                        ui::ViewController& vc, ui::Animated) {
    std::weak_ptr<BPNavigationController> weak = std::static_pointer_cast<BPNavigationController>(shared_from_this());
    vc.navigationItem()->setRightBarButtonItem(
        ui::BarButtonItem::initWithTitle("Close", ui::BarButtonItemStyle::Bordered, [weak](ui::BarButtonItem&) {
            if (auto self = weak.lock()) {
                self->dismissWindow();
            }
        }));
}

void BPNavigationController::dismissWindow() {
    if (closeWall_) {
        closeWall_();
    }
}

} // namespace zelvan::brightpoint
