// BPNavigationController: the offer wall's navigation (black bar). Every page it shows gets a "Close"
// button that removes the whole wall through the handler its maker gives.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ui/navigation_controller.h"
#include "platform/ui/view_controller.h"

namespace zelvan::brightpoint {

class BPNavigationController : public ui::NavigationController, public ui::NavigationControllerDelegate {
public:
    // A navigation controller holding `root` as its root (pushed without animation); "Close" calls
    // `closeWall` (nothing without one).
    static std::shared_ptr<BPNavigationController>
    navigationControllerWithInstantiatedController(std::shared_ptr<ui::ViewController> root,
                                                   std::function<void()> closeWall = {});

    std::string className() const override { return "BPNavigationController"; }
    void viewDidLoad() override;
    // Gives the page about to show a bordered "Close" button on the right.
    void navigationControllerWillShowViewController(ui::NavigationController& nav, ui::ViewController& vc,
                                                    ui::Animated animated) override;
    // Removes the whole offer wall (the client's dismissWindow).
    void dismissWindow();

private:
    std::function<void()> closeWall_;
};

} // namespace zelvan::brightpoint
