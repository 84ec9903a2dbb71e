// Tab bar controller: appearance calls when tabs switch, the delegate consulted by taps but not by
// the setters, a navigation controller inside a tab (inset above the bar, the bar hidden for pushed
// controllers that ask for it), and a screenshot of that arrangement for a person to look at.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controllers_test_support.h"
#include "platform/graphics/image.h"
#include "platform/ui/application.h"
#include "platform/ui/label.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/navigation_driver.h"

namespace ui {
namespace {

using namespace controllers_test;

class RecordingTabsDelegate : public TabBarControllerDelegate {
public:
    explicit RecordingTabsDelegate(Log& log) : log_(log) {}
    std::optional<bool> tabBarControllerShouldSelectViewController(TabBarController&, ViewController& vc) override {
        log_.push_back("shouldSelect " + vc.title());
        return vc.title() != refused;
    }
    void tabBarControllerDidSelectViewController(TabBarController&, ViewController& vc) override {
        log_.push_back("didSelect " + vc.title());
    }
    std::string refused;

private:
    Log& log_;
};

class TabBarControllerTest : public ControllersTest {};

TEST_F(TabBarControllerTest, SwitchingTabsMovesTheAppearanceCalls) {
    auto a = controller("A");
    auto b = controller("B");
    auto c = controller("C");
    auto tabs = std::make_shared<RecordingTabs>("Tabs", log_);
    auto delegate = std::make_shared<RecordingTabsDelegate>(log_);
    delegate->refused = "C";
    tabs->setDelegate(delegate);
    EXPECT_EQ(tabs->selectedIndex(), TabBarController::kNoSelection);
    tabs->setViewControllers({a, b, c});
    EXPECT_EQ(tabs->selectedIndex(), 0u);
    EXPECT_EQ(b->tabBarController(), tabs);
    EXPECT_EQ(tabs->tabBar()->items().size(), 3u);
    EXPECT_EQ(tabs->tabBar()->items()[1], b->tabBarItem());

    window_->setRootViewController(tabs);
    EXPECT_EQ(take(), (Log{"Tabs.loadView", "A.loadView", "A.didLoad", "Tabs.didLoad", "Tabs.willAppear",
                           "A.willAppear", "Tabs.didAppear", "A.didAppear"}));
    EXPECT_EQ(tabs->tabBar()->frame(), gfx::Rect(0, 411, 320, 49));
    EXPECT_EQ(a->view()->frame(), gfx::Rect(0, 0, 320, 411));

    // A tap asks the delegate, switches, then tells it.
    ASSERT_TRUE(testing::tapTab(tabs, 1));
    EXPECT_EQ(take(), (Log{"shouldSelect B", "B.loadView", "B.didLoad", "A.willDisappear", "B.willAppear",
                           "A.didDisappear", "B.didAppear", "didSelect B"}));
    EXPECT_EQ(tabs->selectedViewController(), b);
    EXPECT_EQ(a->view()->superview(), nullptr);
    EXPECT_EQ(b->view()->frame(), gfx::Rect(0, 0, 320, 411));

    // A refused tab keeps the selection, on the bar too.
    ASSERT_TRUE(testing::tapTab(tabs, 2));
    EXPECT_EQ(take(), (Log{"shouldSelect C"}));
    EXPECT_EQ(tabs->selectedIndex(), 1u);
    EXPECT_EQ(tabs->tabBar()->selectedItem(), b->tabBarItem());

    // The setters do not consult the delegate; selecting the selected tab calls nothing.
    tabs->setSelectedIndex(2);
    EXPECT_EQ(take(),
              (Log{"C.loadView", "C.didLoad", "B.willDisappear", "C.willAppear", "B.didDisappear", "C.didAppear"}));
    tabs->setSelectedViewController(c);
    tabs->setSelectedIndex(7); // out of range: ignored
    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(tabs->tabBar()->selectedItem(), c->tabBarItem());

    // New controllers keep the selected one when it stays; dropped ones lose their parent.
    tabs->setViewControllers({c, a});
    EXPECT_EQ(tabs->selectedIndex(), 0u);
    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(b->parentViewController(), nullptr);
    tabs->setViewControllers({b});
    EXPECT_EQ(take(), (Log{"C.willDisappear", "B.willAppear", "C.didDisappear", "B.didAppear"}));
}

TEST_F(TabBarControllerTest, NavigationInsideATabSitsAboveTheBar) {
    auto home = controller("Home", gfx::Color(0.85, 0.9, 1, 1));
    auto chat = controller("Chat", gfx::Color(1, 0.8, 0.6, 1));
    auto game = controller("Game", gfx::Color(0.2, 0.5, 0.2, 1));
    game->setHidesBottomBarWhenPushed(true);
    auto nav = NavigationController::initWithRootViewController(home);
    auto settings = controller("Settings", gfx::Color(0.9, 0.9, 0.9, 1));
    auto tabs = std::make_shared<TabBarController>();
    tabs->setViewControllers({nav, settings});
    nav->setTitle("Friends");
    nav->tabBarItem()->setBadgeValue("3");
    window_->setRootViewController(tabs);
    nav->pushViewController(chat, Animated::No);
    take();

    EXPECT_EQ(chat->tabBarController(), tabs);
    EXPECT_EQ(chat->navigationController(), nav);
    EXPECT_EQ(nav->view()->frame(), gfx::Rect(0, 0, 320, 411));
    EXPECT_EQ(chat->view()->frame(), gfx::Rect(0, 44, 320, 367));
    EXPECT_EQ(chat->view()->convertRectToView(chat->view()->bounds(), nullptr), gfx::Rect(0, 64, 320, 367));

    // The picture a person would see: the bar with a back button, the chat's view, the tabs.
    auto label = View::create<Label>(gfx::Rect(20, 20, 280, 30));
    label->setText("Chat with Ada");
    chat->view()->addSubview(label);
    const auto shot = Snapshot::captureView(*window_);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->pixelAt(200, 300), (gfx::Rgba8{255, 204, 153, 255})); // the chat's background
    EXPECT_NE(shot->pixelAt(200, 40), shot->pixelAt(200, 300));           // the navigation bar
    EXPECT_NE(shot->pixelAt(200, 450), shot->pixelAt(200, 300));          // the tab bar
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    EXPECT_TRUE(Snapshot::saveViewAsPng(*window_, "screenshots/ui-tab-navigation.png"));

    // A pushed controller that hides the bottom bar gets the whole height, until it is popped.
    nav->pushViewController(game, Animated::No);
    EXPECT_TRUE(tabs->tabBar()->isHidden());
    EXPECT_EQ(nav->view()->frame(), gfx::Rect(0, 0, 320, 460));
    EXPECT_EQ(game->view()->frame(), gfx::Rect(0, 44, 320, 416));
    EXPECT_FALSE(testing::tapTab(tabs, 1));
    nav->popViewControllerAnimated(Animated::No);
    EXPECT_FALSE(tabs->tabBar()->isHidden());
    EXPECT_EQ(chat->view()->frame(), gfx::Rect(0, 44, 320, 367));

    // Hiding the bar directly gives the selected view the room as well, at the next layout pass.
    tabs->tabBar()->setHidden(true);
    Application::shared().flush();
    EXPECT_EQ(nav->view()->frame(), gfx::Rect(0, 0, 320, 460));
    tabs->tabBar()->setHidden(false);
    Application::shared().flush();
    EXPECT_EQ(nav->view()->frame(), gfx::Rect(0, 0, 320, 411));

    // Switching away hides the whole navigation controller, its top controller included.
    take();
    ASSERT_TRUE(testing::tapTab(tabs, 1));
    EXPECT_EQ(take(), (Log{"Settings.loadView", "Settings.didLoad", "Chat.willDisappear", "Settings.willAppear",
                           "Chat.didDisappear", "Settings.didAppear"}));
}

} // namespace
} // namespace ui
