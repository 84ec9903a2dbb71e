// The offer wall's visible parts: BPPaymentController (the tab bar of apps, offers, direct payment,
// in-app store and status, chosen and ordered from the client's configuration), BPNavigationController
// (black bar; every shown page gets a "Close" button that removes the whole wall) and
// BPErrorViewController (the page shown instead of the wall when something is wrong).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "offers/brightpoint/brightpoint_context.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/view_controller.h"

namespace fnd {
class Timer;
}

namespace zelvan::brightpoint {

inline constexpr std::string_view kBPConfigErrorMessage = "The developer hasn't configured the store properly.";

struct BPConfiguration;

// The tabs a configuration asks for, in order (Status always last), and the index of the one to select:
// the tab `defaultTab` names exactly when it is present, else the first present of Apps, Offers, direct
// and in-app; nullopt when only Status is present.
struct BPTabChoice {
    std::vector<BPTab> tabs;
    std::optional<size_t> selected;
};
BPTabChoice BPChooseTabs(const BPConfiguration& config);

class BPNavigationController : public ui::NavigationController, public ui::NavigationControllerDelegate {
public:
    // A navigation controller holding `root` as its root (pushed without animation).
    static std::shared_ptr<BPNavigationController>
    navigationControllerWithInstantiatedController(std::shared_ptr<ui::ViewController> root);

    std::string className() const override { return "BPNavigationController"; }
    void viewDidLoad() override;
    // Gives the page about to show a bordered "Close" button on the right.
    void navigationControllerWillShowViewController(ui::NavigationController& nav, ui::ViewController& vc,
                                                    ui::Animated animated) override;
    // Removes the whole offer wall through the client.
    void dismissWindow();
};

class BPErrorViewController : public ui::ViewController {
public:
    static std::shared_ptr<BPErrorViewController> initWithMessage(std::string message);

    std::string className() const override { return "BPErrorViewController"; }
    void viewDidLoad() override;

    const std::string& message() const { return message_; }
    const std::shared_ptr<ui::Label>& errorLabel() const { return errorLabel_; }

private:
    std::string message_;
    std::shared_ptr<ui::ImageView> errorImage_;
    std::shared_ptr<ui::ImageView> errorBackground_;
    std::shared_ptr<ui::Label> errorLabel_;
};

class BPPaymentController : public ui::TabBarController, public ui::TabBarControllerDelegate {
public:
    std::string className() const override { return "BPPaymentController"; }
    // Builds the tabs from the client's configuration and selects one; with no tab but Status, the
    // configuration error comes up on a later turn of the run loop.
    void viewDidLoad() override;
    // Asks the client for its error window with the configuration message.
    void displayConfigError();

private:
    std::shared_ptr<fnd::Timer> configErrorTimer_;
};

} // namespace zelvan::brightpoint
