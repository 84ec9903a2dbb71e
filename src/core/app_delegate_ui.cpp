// The application delegate's user interface: the window with the five-tab bar, alerts and the
// information box, the retry alert, tab switching, the keyboard, and the full-screen game view.
#include <numbers>
#include <utility>

#include "core/app_delegate_parts.h"
#include "core/localization.h"
#include "core/main_thread.h"
#include "platform/foundation/log.h"
#include "platform/ui/application.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/screen.h"
#include "platform/ui/tab_bar.h"
#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/window.h"

namespace zelvan {

void zelvanAppDelegate::buildWindow() {
    gfx::Rect screen = ui::Screen::main().bounds();
    window_ = ui::View::create<ui::Window>(screen);
    tabBarController_ = std::make_shared<ui::TabBarController>();
    // The home and More tabs show their page controllers once those exist; the other tabs (and
    // those two until then) show an empty screen under their title.
    std::shared_ptr<PageService> pages[] = {nullptr, homes(), nullptr, nullptr, moreController()};
    std::vector<std::shared_ptr<ui::ViewController>> tabs;
    int index = 0;
    for (const char* title : {"Games", "myHome", "IM", "Circle", "More"}) {
        std::shared_ptr<PageService> page = pages[index++];
        std::shared_ptr<ui::ViewController> root = page ? page->pageViewController() : nullptr;
        // The Games tab's and the messenger's controllers bring their own title and tab item.
        std::shared_ptr<ui::ViewController> own;
        if (index - 1 == TabGames) {
            auto games = newgamerooms();
            own = games ? games->rootViewController() : nullptr;
        } else if (index - 1 == TabMessenger) {
            auto messenger = im();
            own = messenger ? messenger->rootViewController() : nullptr;
        }
        if (own) {
            root = own;
            tabs.push_back(ui::NavigationController::initWithRootViewController(root));
            tabs.back()->setTitle(root->title());
            tabs.back()->setTabBarItem(root->tabBarItem());
            continue;
        }
        if (!root) {
            root = std::make_shared<ui::ViewController>();
        }
        root->setTitle(ZLS(title));
        tabs.push_back(ui::NavigationController::initWithRootViewController(root));
        tabs.back()->setTitle(ZLS(title));
    }
    tabBarController_->setViewControllers(std::move(tabs));
    window_->setRootViewController(tabBarController_);
    window_->makeKeyAndVisible();
}

std::shared_ptr<ui::TabBarController> zelvanAppDelegate::tabBarController() const {
    return tabBarController_;
}

std::shared_ptr<ui::Window> zelvanAppDelegate::window() const {
    return window_;
}

void zelvanAppDelegate::showAlert(const std::optional<std::string>& title, const std::string& message) {
    // On main at once; from the delegate's threads later, and not at all once it is being released
    // (its destructor waits for those threads to end).
    onMainInline(weak_from_this(), [title, message](zelvanAppDelegate& self) {
        self.messageAlerts_.show(ui::AlertView::initWithTitle(title.value_or(""), message, {}, ZLS("OK")));
    });
}

void zelvanAppDelegate::showInfo(const std::string& title, const std::string& message) {
    onMainInline(weak_from_this(), [title, message](zelvanAppDelegate& self) {
        if (self.infoAlert_) {
            self.infoAlert_->dismissWithClickedButtonIndex(-1, ui::Animated::No);
        }
        self.infoAlert_ = ui::AlertView::initWithTitle(title, message, {});
        self.infoAlert_->show();
    });
}

void zelvanAppDelegate::hideInfo() {
    onMainInline(weak_from_this(), [](zelvanAppDelegate& self) {
        if (auto info = std::exchange(self.infoAlert_, nullptr)) {
            info->dismissWithClickedButtonIndex(-1, ui::Animated::No);
        }
    });
}

void zelvanAppDelegate::showLoginRefusal(const std::string& reason) {
    onMainInline(weak_from_this(), [reason](zelvanAppDelegate& self) {
        if (self.loginAlert_ && self.loginAlert_->isVisible()) {
            self.loginAlert_->setMessage(reason); // one alert tells the latest refusal
            return;
        }
        self.loginAlert_ = ui::AlertView::initWithTitle(ZLS("loginFailed"), reason, {}, ZLS("OK"));
        self.loginAlert_->show();
    });
}

void zelvanAppDelegate::showRetryAlert() {
    if (retryAlert_ && retryAlert_->alert && retryAlert_->alert->isVisible()) {
        return; // one alert asks for the tap however many failures wait for it
    }
    hideInfo();
    // A refusal on an earlier connection is past: the retry alert alone stands for what happens next.
    if (auto refusal = std::exchange(loginAlert_, nullptr); refusal && refusal->isVisible()) {
        refusal->dismissWithClickedButtonIndex(-1, ui::Animated::No);
    }
    ZLOG(Info, "network: the retry alert asks the user before the next connection");
    retryAlert_ = std::make_shared<RetryAlert>(*this);
    retryAlert_->alert =
        ui::AlertView::initWithTitle(ZLS("networkError"), ZLS("networkErrorMessage"), retryAlert_, ZLS("Retry"));
    retryAlert_->alert->show();
}

void zelvanAppDelegate::RetryAlert::alertViewClickedButtonAtIndex(ui::AlertView& /*alert*/, int /*buttonIndex*/) {
    owner_.networkLoop().userTappedRetry();
}

void zelvanAppDelegate::ConnectionEvents::connectionLost() {
    if (auto cache = owner_.zelvanWebCache()) {
        cache->gameConnectionLost();
    }
    for (const auto& listener : owner_.liveConnectionListeners()) {
        listener->connectionLost();
    }
}

void zelvanAppDelegate::ConnectionEvents::connectionResumed() {
    owner_.hideInfo();
    for (const auto& listener : owner_.liveConnectionListeners()) {
        listener->connectionResumed();
    }
}

void zelvanAppDelegate::ConnectionEvents::showReconnectingMessage() {
    ZLOG(Warn, "connection to %@:%d lost; reconnecting", owner_.config_.serverHost,
         static_cast<int>(owner_.config_.serverPort));
    owner_.showInfo(ZLS("reconnecting"), ZLS("reconnectingMessage"));
}

void zelvanAppDelegate::switchTab(int index, ui::Animated animated) {
    if (!tabBarController_ || index < 0) {
        return;
    }
    const auto& tabs = tabBarController_->viewControllers();
    if (static_cast<size_t>(index) >= tabs.size() || tabBarController_->selectedIndex() == static_cast<size_t>(index)) {
        return;
    }
    if (auto nav = std::dynamic_pointer_cast<ui::NavigationController>(tabs[static_cast<size_t>(index)])) {
        nav->popToRootViewControllerAnimated(ui::Animated::No);
    }
    tabBarController_->setSelectedIndex(static_cast<size_t>(index));
    if (animated == ui::Animated::Yes) {
        auto view = tabBarController_->view();
        view->setAlpha(0);
        ui::View::beginAnimations("switchTab");
        ui::View::setAnimationDuration(kTabFadeDuration);
        view->setAlpha(1);
        ui::View::commitAnimations();
    }
}

void zelvanAppDelegate::hideKeyboard() {
    if (auto owner = ui::KeyboardController::textInput()) {
        owner->resignFirstResponder();
    }
}

void zelvanAppDelegate::switchToFullScreen(const std::shared_ptr<ui::View>& view, int horizontal) {
    if (!window_ || !view) {
        return;
    }
    switchToNormalScreen(horizontal);
    gfx::Rect screen = window_->bounds();
    ui::Application::shared().setStatusBarHidden(true);
    if (tabBarController_) {
        tabBarController_->tabBar()->setHidden(true);
    }
    if (horizontal != 0) {
        // Landscape: a screen-sized view turned a quarter so its long side runs across.
        view->setTransform(gfx::AffineTransform::makeRotation(std::numbers::pi / 2));
        view->setBounds(gfx::Rect(0, 0, screen.size.height, screen.size.width));
        view->setCenter(gfx::Point{screen.size.width / 2, screen.size.height / 2});
    } else {
        view->setTransform(gfx::AffineTransform());
        view->setFrame(screen);
    }
    window_->addSubview(view);
    fullScreenView_ = view;
}

void zelvanAppDelegate::switchToNormalScreen(int /*horizontal*/) {
    if (auto view = std::exchange(fullScreenView_, nullptr)) {
        view->removeFromSuperview();
        view->setTransform(gfx::AffineTransform());
    }
    ui::Application::shared().setStatusBarHidden(false);
    if (tabBarController_) {
        tabBarController_->tabBar()->setHidden(false);
    }
}

} // namespace zelvan
