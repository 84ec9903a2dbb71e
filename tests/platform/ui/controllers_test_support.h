// Shared fixture of the controller tests: a manual clock, a visible window, and controllers and
// delegates that write every callback they hear into one ordered log.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/graphics/color.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/view.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/window.h"

namespace ui::controllers_test {

using Log = std::vector<std::string>;

// Logs "<name>.<callback>" for loading, unloading and appearance; appearance calls made with
// Animated::Yes end in "*".
template <class Base>
class Recording : public Base {
public:
    Recording(std::string name, Log& log, gfx::Color color = gfx::Color::white()) : log_(log), color_(color) {
        this->setTitle(std::move(name));
    }
    void loadView() override {
        note("loadView");
        Base::loadView();
        this->viewIfLoaded()->setBackgroundColor(color_);
    }
    void viewDidLoad() override { note("didLoad"); }
    void viewDidUnload() override { note("didUnload"); }
    void viewWillAppear(Animated a) override { note("willAppear", a); }
    void viewDidAppear(Animated a) override { note("didAppear", a); }
    void viewWillDisappear(Animated a) override { note("willDisappear", a); }
    void viewDidDisappear(Animated a) override { note("didDisappear", a); }

private:
    void note(const std::string& what, Animated a = Animated::No) {
        log_.push_back(this->title() + "." + what + (a == Animated::Yes ? "*" : ""));
    }
    Log& log_;
    gfx::Color color_;
};

using RecordingController = Recording<ViewController>;
using RecordingNavigation = Recording<NavigationController>;
using RecordingTabs = Recording<TabBarController>;

class RecordingNavigationDelegate : public NavigationControllerDelegate {
public:
    explicit RecordingNavigationDelegate(Log& log) : log_(log) {}
    void navigationControllerWillShowViewController(NavigationController&, ViewController& vc, Animated a) override {
        log_.push_back("willShow " + vc.title() + (a == Animated::Yes ? "*" : ""));
    }
    void navigationControllerDidShowViewController(NavigationController&, ViewController& vc, Animated a) override {
        log_.push_back("didShow " + vc.title() + (a == Animated::Yes ? "*" : ""));
    }

private:
    Log& log_;
};

class ControllersTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        AnimationLog::clear();
        window_ = View::create<Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
    }
    void TearDown() override {
        testing::TouchDriver::reset();
        window_->setRootViewController(nullptr);
        window_->setHidden(true);
        fnd::RunLoop::main().runUntilIdle();
        fnd::Clock::install(nullptr);
    }

    std::shared_ptr<RecordingController> controller(const std::string& name, gfx::Color color = gfx::Color::white()) {
        return std::make_shared<RecordingController>(name, log_, color);
    }
    // Lets a running slide finish.
    static void finishAnimations() { fnd::RunLoop::main().advance(ControllerTransition::kDuration); }
    // The log so far, emptied.
    Log take() {
        Log taken;
        taken.swap(log_);
        return taken;
    }

    Log log_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<Window> window_;
};

} // namespace ui::controllers_test
