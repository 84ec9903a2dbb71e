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

void BPPaymentController::viewDidLoad() {
    ui::TabBarController::viewDidLoad();
    auto client = Brightpoint::shared();
    auto ctx = context();
    if (!client || !ctx) {
        return;
    }
    const BPConfiguration& config = client->configuration();
    struct Row {
        BPTab tab;
        const char* title;
        const char* image;
        int tag;
        bool present;
        const char* defaultName;
    };
    const std::array<Row, 5> rows = {{
        {BPTab::Apps, "Apps", "BPAppsTab.png", 1, config.appsTabEnabled, "apps"},
        {BPTab::Offers, "Offers", "BPOffersTab.png", 0, config.offersTabEnabled, "offers"},
        {BPTab::Direct, "Pay", "BPDirectTab.png", 2, config.directTabEnabled, "direct"},
        {BPTab::InApp, "Pay", "BPInAppTab.png", 3, config.inAppTabEnabled, "inapp"},
        {BPTab::Status, "Status", "BPStatusTab.png", 4, true, nullptr},
    }};
    std::vector<std::shared_ptr<ui::ViewController>> tabs;
    tabs.reserve(8);
    std::array<std::shared_ptr<ui::ViewController>, 5> byRow;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].present) {
            continue;
        }
        auto root = ctx->makeTab(rows[i].tab);
        root->setTitle(rows[i].title);
        auto item = ui::TabBarItem::initWithTitle(rows[i].title, gfx::Image::imageNamed(rows[i].image), rows[i].tag);
        root->setTabBarItem(item);
        byRow[i] = BPNavigationController::navigationControllerWithInstantiatedController(root);
        // The tab bar shows the item of the navigation around the page.
        byRow[i]->setTabBarItem(item);
        tabs.push_back(byRow[i]);
    }
    setViewControllers(tabs);
    setDelegate(std::static_pointer_cast<BPPaymentController>(shared_from_this()));

    // The named default tab when it is present, else the first present of Apps, Offers, direct and in-app.
    std::shared_ptr<ui::ViewController> selected;
    for (size_t i : {size_t{1}, size_t{0}, size_t{2}, size_t{3}}) {
        if (byRow[i] && config.defaultTab == rows[i].defaultName) {
            selected = byRow[i];
            break;
        }
    }
    for (size_t i = 0; !selected && i < 4; ++i) {
        selected = byRow[i];
    }
    if (selected) {
        setSelectedViewController(selected);
        return;
    }
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
