// Navigation controller: the order of appearance calls and delegate calls for pushes, pops, pops to
// the root and the controller's own appearance; slides on the manual clock, with a push during a
// slide settling it first; the bar following the stack with a back button that pops on a real tap;
// and hiding the bar.
#include <memory>
#include <string>
#include <vector>

#include "controllers_test_support.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "platform/ui/testing/navigation_driver.h"

namespace ui {
namespace {

using namespace controllers_test;

class NavigationControllerTest : public ControllersTest {
protected:
    // A navigation controller that logs as "Nav", shown as the window's root, with a logging delegate.
    std::shared_ptr<RecordingNavigation> showNavigation(const std::shared_ptr<ViewController>& root) {
        auto nav = std::make_shared<RecordingNavigation>("Nav", log_);
        nav->setViewControllers({root});
        nav->setDelegate(delegate_);
        window_->setRootViewController(nav);
        return nav;
    }

    std::shared_ptr<RecordingNavigationDelegate> delegate_ = std::make_shared<RecordingNavigationDelegate>(log_);
};

TEST_F(NavigationControllerTest, AppearingPushingAndPoppingCallInOrder) {
    auto a = controller("A");
    auto b = controller("B");
    auto nav = showNavigation(a);
    EXPECT_EQ(take(), (Log{"Nav.loadView", "A.loadView", "A.didLoad", "Nav.didLoad", "Nav.willAppear", "A.willAppear",
                           "willShow A", "Nav.didAppear", "A.didAppear", "didShow A"}));
    EXPECT_EQ(a->navigationController(), nav);
    EXPECT_EQ(a->parentViewController(), nav);
    // The top view fills the room under the 44-point bar.
    EXPECT_EQ(nav->navigationBar()->frame(), gfx::Rect(0, 0, 320, 44));
    EXPECT_EQ(a->view()->frame(), gfx::Rect(0, 44, 320, 416));
    EXPECT_TRUE(nav->isToolbarHidden());

    nav->pushViewController(b, Animated::Yes);
    EXPECT_EQ(take(), (Log{"B.loadView", "B.didLoad", "A.willDisappear*", "B.willAppear*", "willShow B*"}));
    EXPECT_TRUE(nav->isInTransition());
    EXPECT_EQ(nav->topViewController(), b);
    EXPECT_EQ(nav->viewControllers(), (std::vector<std::shared_ptr<ViewController>>{a, b}));
    const auto push = AnimationLog::entries().back();
    EXPECT_EQ(push.name, "pushViewController");
    EXPECT_DOUBLE_EQ(push.duration, 0.3);
    // B comes in from the right while A leaves to the left.
    ASSERT_EQ(push.properties.size(), 2u);
    EXPECT_EQ(push.properties[0].from, AnimationValue(gfx::Rect(320, 44, 320, 416)));
    EXPECT_EQ(push.properties[1].to, AnimationValue(gfx::Rect(-320, 44, 320, 416)));
    finishAnimations();
    EXPECT_EQ(take(), (Log{"A.didDisappear*", "B.didAppear*", "didShow B*"}));
    EXPECT_FALSE(nav->isInTransition());
    EXPECT_EQ(a->view()->superview(), nullptr);
    EXPECT_EQ(b->view()->frame(), gfx::Rect(0, 44, 320, 416));

    // Without animation everything happens at once.
    EXPECT_EQ(nav->popViewControllerAnimated(Animated::No), b);
    EXPECT_EQ(take(),
              (Log{"B.willDisappear", "A.willAppear", "willShow A", "B.didDisappear", "A.didAppear", "didShow A"}));
    EXPECT_EQ(b->navigationController(), nullptr);
    EXPECT_EQ(a->view()->superview(), nav->view());
    // The root stays.
    EXPECT_EQ(nav->popViewControllerAnimated(Animated::Yes), nullptr);
    EXPECT_TRUE(log_.empty());

    // Leaving the window, the navigation controller takes its top controller along.
    window_->setRootViewController(nullptr);
    EXPECT_EQ(take(), (Log{"Nav.willDisappear", "A.willDisappear", "Nav.didDisappear", "A.didDisappear"}));
}

TEST_F(NavigationControllerTest, PushDuringASlideSettlesItFirstAndPopToRootSkipsTheMiddle) {
    auto a = controller("A");
    auto b = controller("B");
    auto c = controller("C");
    auto nav = showNavigation(a);
    take();

    nav->pushViewController(b, Animated::Yes);
    nav->pushViewController(c, Animated::Yes);
    EXPECT_EQ(take(), (Log{"B.loadView", "B.didLoad", "A.willDisappear*", "B.willAppear*", "willShow B*",
                           "A.didDisappear*", "B.didAppear*", "didShow B*", "C.loadView", "C.didLoad",
                           "B.willDisappear*", "C.willAppear*", "willShow C*"}));
    // The first slide's end, still due on the clock, does not run its completion twice.
    finishAnimations();
    EXPECT_EQ(take(), (Log{"B.didDisappear*", "C.didAppear*", "didShow C*"}));
    EXPECT_EQ(nav->viewControllers().size(), 3u);
    EXPECT_EQ(nav->view()->subviews().front(), c->view());

    // A controller already on the stack is not pushed again.
    nav->pushViewController(b, Animated::No);
    EXPECT_EQ(nav->viewControllers().size(), 3u);

    // Only the old top and the root hear anything; the popped come back bottom first.
    const auto popped = nav->popToRootViewControllerAnimated(Animated::Yes);
    EXPECT_EQ(popped, (std::vector<std::shared_ptr<ViewController>>{b, c}));
    EXPECT_EQ(take(), (Log{"C.willDisappear*", "A.willAppear*", "willShow A*"}));
    EXPECT_EQ(AnimationLog::entries().back().name, "popViewController");
    finishAnimations();
    EXPECT_EQ(take(), (Log{"C.didDisappear*", "A.didAppear*", "didShow A*"}));
    EXPECT_EQ(b->parentViewController(), nullptr);
    EXPECT_EQ(c->parentViewController(), nullptr);
    EXPECT_EQ(nav->navigationBar()->items().size(), 1u);

    // Popping to a controller that is not on the stack pops nothing.
    EXPECT_TRUE(nav->popToViewController(b, Animated::No).empty());
    EXPECT_EQ(nav->viewControllers().size(), 1u);

    // A memory warning releases the views of controllers below the top, which load again when shown.
    nav->pushViewController(b, Animated::No);
    take();
    Application::shared().simulateMemoryWarning();
    EXPECT_EQ(take(), (Log{"A.didUnload", "C.didUnload"}));
    EXPECT_TRUE(b->isViewLoaded());
    nav->popViewControllerAnimated(Animated::No);
    EXPECT_EQ(take(), (Log{"A.loadView", "A.didLoad", "B.willDisappear", "A.willAppear", "willShow A", "B.didDisappear",
                           "A.didAppear", "didShow A"}));
    EXPECT_EQ(a->view()->frame(), gfx::Rect(0, 44, 320, 416));
}

TEST_F(NavigationControllerTest, BackButtonPopsThroughRealTaps) {
    auto a = controller("Friends");
    auto b = controller("Chat");
    auto c = controller("Profile");
    auto nav = showNavigation(a);
    EXPECT_FALSE(testing::tapBack(nav)); // the root shows no back button
    nav->pushViewController(b, Animated::No);
    nav->pushViewController(c, Animated::No);
    take();
    const auto bar = nav->navigationBar();
    EXPECT_EQ(bar->topItem(), c->navigationItem());
    EXPECT_EQ(bar->titleLabel()->text(), "Profile");
    ASSERT_TRUE(bar->backButton());
    EXPECT_EQ(bar->backButton()->titleForState(ControlState::Normal), "Chat");

    ASSERT_TRUE(testing::tapBack(nav));
    EXPECT_EQ(take(), (Log{"Profile.willDisappear*", "Chat.willAppear*", "willShow Chat*"}));
    finishAnimations();
    EXPECT_EQ(take(), (Log{"Profile.didDisappear*", "Chat.didAppear*", "didShow Chat*"}));
    EXPECT_EQ(nav->topViewController(), b);
    EXPECT_EQ(bar->items().size(), 2u);

    // The previous controller's back item names the button.
    a->navigationItem()->setBackBarButtonItem(BarButtonItem::initWithTitle("Back", BarButtonItemStyle::Bordered));
    nav->popViewControllerAnimated(Animated::No);
    nav->pushViewController(b, Animated::No);
    ASSERT_TRUE(bar->backButton());
    EXPECT_EQ(bar->backButton()->titleForState(ControlState::Normal), "Back");
    ASSERT_TRUE(testing::tapBack(nav));
    finishAnimations();
    EXPECT_EQ(nav->viewControllers(), (std::vector<std::shared_ptr<ViewController>>{a}));
    EXPECT_EQ(bar->items(), (std::vector<std::shared_ptr<NavigationItem>>{a->navigationItem()}));
    EXPECT_EQ(bar->backButton(), nullptr);

    // A slide still running when everything goes away leaves nothing behind.
    nav->pushViewController(c, Animated::Yes);
}

TEST_F(NavigationControllerTest, HiddenBarGivesItsRoomToTheTopView) {
    auto a = controller("A");
    auto nav = showNavigation(a);
    nav->setNavigationBarHidden(true, Animated::No);
    EXPECT_TRUE(nav->navigationBar()->isHidden());
    EXPECT_EQ(a->view()->frame(), gfx::Rect(0, 0, 320, 460));

    nav->setNavigationBarHidden(false, Animated::Yes);
    EXPECT_FALSE(nav->navigationBar()->isHidden());
    EXPECT_EQ(a->view()->frame(), gfx::Rect(0, 44, 320, 416));
    const auto entry = AnimationLog::entries().back();
    EXPECT_EQ(entry.name, "setNavigationBarHidden");
    ASSERT_FALSE(entry.properties.empty());
    EXPECT_EQ(entry.properties[0].from, AnimationValue(gfx::Rect(0, -44, 320, 44)));

    // Hiding with animation keeps the bar drawn until it has slid away.
    nav->setNavigationBarHidden(true, Animated::Yes);
    EXPECT_FALSE(nav->navigationBar()->isHidden());
    finishAnimations();
    EXPECT_TRUE(nav->navigationBar()->isHidden());

    // The toolbar starts hidden; shown, it takes 44 points at the bottom.
    nav->setNavigationBarHidden(false, Animated::No);
    nav->setToolbarHidden(false, Animated::No);
    EXPECT_FALSE(nav->toolbar()->isHidden());
    EXPECT_EQ(nav->toolbar()->frame(), gfx::Rect(0, 416, 320, 44));
    EXPECT_EQ(a->view()->frame(), gfx::Rect(0, 44, 320, 372));
}

} // namespace
} // namespace ui
