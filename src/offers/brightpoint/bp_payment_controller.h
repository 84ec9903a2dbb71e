// BPPaymentController: the offer wall itself - the tab bar of apps, offers, direct payment, in-app store
// and status, chosen and ordered from the client's configuration, each tab's root page (made by the
// tab maker it is given) inside a BPNavigationController whose "Close" removes the whole wall.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/view_controller.h"

namespace fnd {
class Timer;
}

namespace zelvan::brightpoint {

class Brightpoint;
struct BPConfiguration;

inline constexpr std::string_view kBPConfigErrorMessage = "The developer hasn't configured the store properly.";

// The offer wall's tabs, in the order they stand.
enum class BPTab { Apps, Offers, Direct, InApp, Status };

// The tabs a configuration asks for, in order (Status always last), and the index of the one to select:
// the tab `defaultTab` names exactly when it is present, else the first present of Apps, Offers, direct
// and in-app; nullopt when only Status is present.
struct BPTabChoice {
    std::vector<BPTab> tabs;
    std::optional<size_t> selected;
};
BPTabChoice BPChooseTabs(const BPConfiguration& config);

// Makes the root page of `tab` for the wall of `client`; null gives the tab a plain page.
using BPTabMaker =
    std::function<std::shared_ptr<ui::ViewController>(BPTab tab, const std::shared_ptr<Brightpoint>& client)>;

class BPPaymentController : public ui::TabBarController, public ui::TabBarControllerDelegate {
public:
    // `client` shows this wall (held weakly, as it holds the wall); `makeTab` makes each tab's root page.
    BPPaymentController(std::weak_ptr<Brightpoint> client, BPTabMaker makeTab);

    std::string className() const override { return "BPPaymentController"; }
    // Builds the tabs from the client's configuration and selects one; with no tab but Status, the
    // configuration error comes up on a later turn of the run loop.
    void viewDidLoad() override;
    // Asks the client for its error window with the configuration message.
    void displayConfigError();

private:
    std::weak_ptr<Brightpoint> client_;
    BPTabMaker makeTab_;
    std::shared_ptr<fnd::Timer> configErrorTimer_;
};

} // namespace zelvan::brightpoint
