// Control tracking and dispatch: the events a touch produces (down, drag inside/outside, enter and
// exit at the 70-point margin, up inside/outside, cancel, repeat), the highlight that follows the
// finger, actions in registration order with dead owners skipped, method targets, and disabled controls.
#include <memory>
#include <string>
#include <vector>

#include "controls_test_support.h"
#include "platform/ui/control.h"

namespace ui {
namespace {

using namespace controls_test;
using Events = std::vector<std::string>;

class ControlTrackingTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        control_ = View::create<Control>(gfx::Rect(100, 100, 50, 40));
        window_->addSubview(control_);
        recordEvents(*control_, log_);
    }
    std::shared_ptr<Control> control_;
    Events log_;
};

TEST_F(ControlTrackingTest, TapHighlightsWhileDownAndEndsInside) {
    TouchDriver::touchDown(1, {110, 110});
    EXPECT_TRUE(control_->isHighlighted());
    EXPECT_EQ(control_->state(), ControlState::Highlighted);
    EXPECT_TRUE(control_->isTracking());
    TouchDriver::touchUp(1);
    EXPECT_FALSE(control_->isHighlighted());
    EXPECT_FALSE(control_->isTracking());
    EXPECT_EQ(log_, (Events{"TouchDown", "UpInside"}));

    log_.clear();
    clock_->advance(1);
    TouchDriver::doubleTap(window_, {120, 120});
    EXPECT_EQ(log_, (Events{"TouchDown", "UpInside", "TouchDown", "TouchDownRepeat", "UpInside"}));
}

TEST_F(ControlTrackingTest, DragCrossesTheMarginBothWays) {
    // The control spans x 100..150; the tracking area reaches 70 points further, to x < 220.
    TouchDriver::touchDown(1, {140, 120});
    TouchDriver::touchMove(1, {219, 120}); // still inside the margin
    EXPECT_TRUE(control_->isHighlighted());
    TouchDriver::touchMove(1, {221, 120}); // out
    EXPECT_FALSE(control_->isHighlighted());
    EXPECT_FALSE(control_->isTouchInside());
    TouchDriver::touchMove(1, {230, 120});
    TouchDriver::touchMove(1, {120, 35}); // y 100 - 70 = 30 is the top edge: inside again
    EXPECT_TRUE(control_->isHighlighted());
    TouchDriver::touchMove(1, {120, 29}); // out at the top
    TouchDriver::touchUp(1);
    EXPECT_EQ(log_, (Events{"TouchDown", "DragInside", "DragExit", "DragOutside", "DragOutside", "DragEnter",
                            "DragInside", "DragExit", "DragOutside", "UpOutside"}));
    EXPECT_FALSE(control_->isHighlighted());
}

TEST_F(ControlTrackingTest, ReleaseWithinTheMarginCountsAsInsideAndCancelSendsCancel) {
    TouchDriver::touchDown(1, {110, 110});
    TouchDriver::touchMove(1, {200, 200}); // 60 points beyond both edges
    TouchDriver::touchUp(1);
    EXPECT_EQ(log_, (Events{"TouchDown", "DragInside", "UpInside"}));

    log_.clear();
    TouchDriver::touchDown(2, {110, 110});
    TouchDriver::cancel(2);
    EXPECT_EQ(log_, (Events{"TouchDown", "Cancel"}));
    EXPECT_FALSE(control_->isHighlighted());
}

TEST_F(ControlTrackingTest, ActionsRunInRegistrationOrderAndSkipDeadOwners) {
    Events order;
    auto alive = std::make_shared<int>(1);
    auto dying = std::make_shared<int>(2);
    auto control = View::create<Control>(gfx::Rect(0, 0, 10, 10));
    control->addTarget(
        alive, [&](Control&, const Event*) { order.push_back("alive"); },
        ControlEvents::TouchUpInside | ControlEvents::ValueChanged);
    control->addTarget(
        dying, [&](Control&, const Event*) { order.push_back("dying"); }, ControlEvents::ValueChanged);
    control->addTarget(
        {}, [&](Control&, const Event*) { order.push_back("unowned"); }, ControlEvents::ValueChanged);
    control->sendActionsForControlEvents(ControlEvents::ValueChanged);
    EXPECT_EQ(order, (Events{"alive", "dying", "unowned"}));

    order.clear();
    dying.reset();
    control->sendActionsForControlEvents(ControlEvents::ValueChanged | ControlEvents::TouchUpInside);
    EXPECT_EQ(order, (Events{"alive", "unowned"}));

    order.clear();
    control->removeTarget(alive, ControlEvents::ValueChanged);
    control->sendActionsForControlEvents(ControlEvents::ValueChanged);
    control->sendActionsForControlEvents(ControlEvents::TouchUpInside);
    EXPECT_EQ(order, (Events{"unowned", "alive"}));

    // An empty owner removes the events from every target.
    order.clear();
    control->removeTarget({}, ControlEvents::AllEvents);
    EXPECT_EQ(control->allControlEvents(), ControlEvents::None);
    control->sendActionsForControlEvents(ControlEvents::AllEvents);
    EXPECT_TRUE(order.empty());
}

TEST_F(ControlTrackingTest, MethodTargetsRunWhileTheirTargetLivesAndNotAfter) {
    struct Screen {
        explicit Screen(Events& log) : log(log) {}
        void tapped() { log.push_back("tapped"); }
        void changed(Control& sender) { log.push_back("changed by " + std::to_string(sender.tag())); }
        Events& log;
    };
    Events order;
    auto screen = std::make_shared<Screen>(order);
    auto control = View::create<Control>(gfx::Rect(0, 0, 10, 10));
    control->setTag(7);
    control->addTarget(screen, &Screen::tapped, ControlEvents::TouchUpInside);
    control->addTarget(screen, &Screen::changed, ControlEvents::ValueChanged);
    control->sendActionsForControlEvents(ControlEvents::TouchUpInside | ControlEvents::ValueChanged);
    EXPECT_EQ(order, (Events{"tapped", "changed by 7"}));

    // The target is the owner removeTarget names.
    control->removeTarget(screen, ControlEvents::TouchUpInside);
    control->sendActionsForControlEvents(ControlEvents::TouchUpInside | ControlEvents::ValueChanged);
    EXPECT_EQ(order, (Events{"tapped", "changed by 7", "changed by 7"}));

    // The control does not keep its target alive and calls nothing once it has gone.
    std::weak_ptr<Screen> gone = screen;
    screen.reset();
    EXPECT_TRUE(gone.expired());
    order.clear();
    control->sendActionsForControlEvents(ControlEvents::AllEvents);
    EXPECT_TRUE(order.empty());
}

TEST_F(ControlTrackingTest, AnActionMayRemoveTheControlFromItsWindow) {
    control_->addTarget(
        {},
        [this](Control& c, const Event*) {
            c.removeFromSuperview();
            control_.reset();
        },
        ControlEvents::TouchDown);
    TouchDriver::touchDown(1, {110, 110});
    TouchDriver::touchUp(1);
    EXPECT_EQ(log_.front(), "TouchDown");
    EXPECT_EQ(control_, nullptr);
}

TEST_F(ControlTrackingTest, DisabledControlsLetTouchesThroughAndReportTheirState) {
    int behind = 0;
    auto back = View::create<Control>(gfx::Rect(90, 90, 100, 100));
    window_->insertSubviewBelowSubview(back, control_.get());
    back->addTarget(
        {}, [&](Control&, const Event*) { ++behind; }, ControlEvents::TouchUpInside);

    control_->setEnabled(false);
    control_->setSelected(true);
    EXPECT_EQ(control_->state(), ControlState::Disabled | ControlState::Selected);
    TouchDriver::tap(window_, {110, 110});
    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(behind, 1);
}

} // namespace
} // namespace ui
