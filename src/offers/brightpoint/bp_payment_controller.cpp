// The offer wall's tab bar, its navigation with the "Close" button, and its error page.
#include "offers/brightpoint/bp_payment_controller.h"

#include <array>

#include "offers/brightpoint/brightpoint.h"
#include "offers/brightpoint/brightpoint_context.h"
#include "platform/foundation/timer.h"
#include "platform/graphics/font.h"
#include "platform/graphics/image.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/tab_bar_item.h"

namespace zelvan::brightpoint {

std::shared_ptr<BPNavigationController>
BPNavigationController::navigationControllerWithInstantiatedController(std::shared_ptr<ui::ViewController> root) {
    auto nav = std::make_shared<BPNavigationController>();
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
    if (auto client = Brightpoint::shared()) {
        client->dismissWindow();
    }
}

std::shared_ptr<BPErrorViewController> BPErrorViewController::initWithMessage(std::string message) {
    auto vc = std::make_shared<BPErrorViewController>();
    vc->message_ = std::move(message);
    return vc;
}

void BPErrorViewController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    navigationItem()->setHidesBackButton(true);
    setTitle("Error");
    auto root = view();
    errorBackground_ = ui::ImageView::initWithImage(gfx::Image::imageNamed("BPErrorBackground.png"));
    root->addSubview(errorBackground_);
    errorImage_ = ui::ImageView::initWithImage(gfx::Image::imageNamed("BPErrorImage.png"));
    errorImage_->setFrame(gfx::Rect(60, 20, 200, 180));
    root->addSubview(errorImage_);
    errorLabel_ = ui::View::create<ui::Label>(gfx::Rect(20, 230, 280, 0));
    errorLabel_->setText(message_);
    errorLabel_->setTextAlignment(ui::TextAlignment::Center);
    errorLabel_->setNumberOfLines(0);
    errorLabel_->setFont(gfx::Font::withName("Helvetica", 17));
    errorLabel_->setBackgroundColor(gfx::Color(0, 0, 0, 0));
    const gfx::Size fitted = errorLabel_->sizeThatFits(gfx::Size(280, 9999));
    errorLabel_->setFrame(gfx::Rect(20, 230, 280, fitted.height));
    root->addSubview(errorLabel_);
}

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

void BPPaymentController::viewDidLoad() {
    ui::TabBarController::viewDidLoad();
    auto client = Brightpoint::shared();
    auto ctx = context();
    if (!client || !ctx) {
        return;
    }
    const BPTabChoice choice = BPChooseTabs(client->configuration());
    std::vector<std::shared_ptr<ui::ViewController>> tabs;
    tabs.reserve(8);
    for (BPTab tab : choice.tabs) {
        const TabRow& row = kTabRows[static_cast<size_t>(tab)];
        auto root = ctx->makeTab(tab);
        root->setTitle(row.title);
        auto item = ui::TabBarItem::initWithTitle(row.title, gfx::Image::imageNamed(row.image), row.tag);
        root->setTabBarItem(item);
        auto nav = BPNavigationController::navigationControllerWithInstantiatedController(root);
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
    if (auto client = Brightpoint::shared()) {
        client->displayErrorWindow(std::string(kBPConfigErrorMessage));
    }
}

} // namespace zelvan::brightpoint
