// The offer wall's tab bar: its tab choice, the tabs' pages in their navigation, the configuration error.
#include "offers/brightpoint/bp_payment_controller.h"

#include <array>

#include "offers/brightpoint/bp_navigation_controller.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/timer.h"
#include "platform/graphics/image.h"
#include "platform/ui/tab_bar_item.h"

namespace zelvan::brightpoint {

namespace {

struct TabRow {
    const char* title;
    const char* image;
    int tag;
    const char* defaultName;
};

// The tab table, by BPTab.
constexpr std::array<TabRow, 5> kTabRows = {{
    {"Apps", "BPAppsTab.png", 1, "apps"},
    {"Offers", "BPOffersTab.png", 0, "offers"},
    {"Pay", "BPDirectTab.png", 2, "direct"},
    {"Pay", "BPInAppTab.png", 3, "inapp"},
    {"Status", "BPStatusTab.png", 4, nullptr},
}};

} // namespace

BPTabChoice BPChooseTabs(const BPConfiguration& config) {
    const std::array<bool, 4> present = {config.appsTabEnabled, config.offersTabEnabled, config.directTabEnabled,
                                         config.inAppTabEnabled};
    BPTabChoice choice;
    std::array<std::optional<size_t>, 4> at;
    for (size_t i = 0; i < present.size(); ++i) {
        if (present[i]) {
            at[i] = choice.tabs.size();
            choice.tabs.push_back(static_cast<BPTab>(i));
        }
    }
    choice.tabs.push_back(BPTab::Status);
    for (size_t i : {size_t{1}, size_t{0}, size_t{2}, size_t{3}}) {
        if (at[i] && config.defaultTab == kTabRows[i].defaultName) {
            choice.selected = at[i];
            return choice;
        }
    }
    for (size_t i = 0; i < at.size(); ++i) {
        if (at[i]) {
            choice.selected = at[i];
            return choice;
        }
    }
    return choice;
}

BPPaymentController::BPPaymentController(std::weak_ptr<Brightpoint> client, BPTabMaker makeTab)
    : client_(std::move(client)), makeTab_(std::move(makeTab)) {}

void BPPaymentController::viewDidLoad() {
    ui::TabBarController::viewDidLoad();
    auto client = client_.lock();
    if (!client) {
        return;
    }
    std::function<void()> closeWall = [weak = client_] {
        if (auto owner = weak.lock()) {
            owner->dismissWindow();
        }
    };
    const BPTabChoice choice = BPChooseTabs(client->configuration());
    std::vector<std::shared_ptr<ui::ViewController>> tabs;
    tabs.reserve(8);
    for (BPTab tab : choice.tabs) {
        const TabRow& row = kTabRows[static_cast<size_t>(tab)];
        std::shared_ptr<ui::ViewController> root = makeTab_ ? makeTab_(tab, client) : nullptr;
        if (!root) {
            root = std::make_shared<ui::ViewController>();
        }
        root->setTitle(row.title);
        auto item = ui::TabBarItem::initWithTitle(row.title, gfx::Image::imageNamed(row.image), row.tag);
        root->setTabBarItem(item);
        auto nav = BPNavigationController::navigationControllerWithInstantiatedController(root, closeWall);
        // The tab bar shows the item of the navigation around the page.
        nav->setTabBarItem(item);
        tabs.push_back(nav);
    }
    setViewControllers(tabs);
    setDelegate(std::static_pointer_cast<BPPaymentController>(shared_from_this()));
    if (choice.selected) {
        setSelectedIndex(*choice.selected);
        return;
    }
    // Only Status: the configuration error comes up once the wall has been presented.
    std::weak_ptr<BPPaymentController> weak = std::static_pointer_cast<BPPaymentController>(shared_from_this());
    configErrorTimer_ = fnd::Timer::scheduled(0, fnd::Repeats::No, [weak](fnd::Timer&) {
        if (auto self = weak.lock()) {
            self->displayConfigError();
        }
    });
}

void BPPaymentController::displayConfigError() {
    if (auto client = client_.lock()) {
        client->displayErrorWindow(std::string(kBPConfigErrorMessage));
    }
}

} // namespace zelvan::brightpoint
