// Shared fixture of the alert and action sheet tests: a manual clock, a visible main window with a
// white ground, a delegate that records every call as text, and cleanup of panels left on screen.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/graphics/backends.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_metrics.h"
#include "platform/ui/action_sheet.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace ui::alert_test {

using ui::testing::AlertDriver;
using ui::testing::TouchDriver;

// Records the delegate calls of alerts and sheets, e.g. "clicked 1", "willDismiss 1".
class Recorder : public AlertViewDelegate, public ActionSheetDelegate {
public:
    std::vector<std::string> calls;
    bool handlesCancel = false;

    void alertViewClickedButtonAtIndex(AlertView&, int i) override { add("clicked", i); }
    void willPresentAlertView(AlertView&) override { calls.push_back("willPresent"); }
    void didPresentAlertView(AlertView&) override { calls.push_back("didPresent"); }
    void alertViewWillDismissWithButtonIndex(AlertView&, int i) override { add("willDismiss", i); }
    void alertViewDidDismissWithButtonIndex(AlertView&, int i) override { add("didDismiss", i); }
    bool alertViewCancel(AlertView&) override { return cancelCall(); }

    void actionSheetClickedButtonAtIndex(ActionSheet&, int i) override { add("clicked", i); }
    void willPresentActionSheet(ActionSheet&) override { calls.push_back("willPresent"); }
    void didPresentActionSheet(ActionSheet&) override { calls.push_back("didPresent"); }
    void actionSheetWillDismissWithButtonIndex(ActionSheet&, int i) override { add("willDismiss", i); }
    void actionSheetDidDismissWithButtonIndex(ActionSheet&, int i) override { add("didDismiss", i); }
    bool actionSheetCancel(ActionSheet&) override { return cancelCall(); }

    std::vector<std::string> take() { return std::exchange(calls, {}); }

private:
    void add(const char* what, int i) { calls.push_back(std::string(what) + " " + std::to_string(i)); }
    bool cancelCall() {
        if (handlesCancel) {
            calls.push_back("cancel");
        }
        return handlesCancel;
    }
};

using Calls = std::vector<std::string>;

// A plain image of one colour.
inline gfx::ImagePtr solidImage(int width, int height, const gfx::Color& color) {
    gfx::beginImageContext({static_cast<double>(width), static_cast<double>(height)});
    const auto ctx = gfx::getCurrentContext();
    ctx->setFillColor(color);
    ctx->fillRect(gfx::Rect(0, 0, width, height));
    auto image = gfx::imageFromCurrentImageContext();
    gfx::endImageContext();
    return image;
}

class AlertTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        window_ = View::create<Window>(gfx::Rect(0, 0, 320, 480));
        window_->setBackgroundColor(gfx::Color::white());
        window_->makeKeyAndVisible();
        recorder_ = std::make_shared<Recorder>();
    }
    void TearDown() override {
        TouchDriver::reset();
        for (const auto& panel : AlertPanel::visiblePanels()) {
            panel->dismissWithClickedButtonIndex(panel->cancelButtonIndex(), Animated::No);
        }
        window_->endEditing(Force::Yes);
        window_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        gfx::installTextMetrics(nullptr);
        fnd::Clock::install(nullptr);
    }
    static void useSyntheticMetrics() { gfx::installTextMetrics(std::make_shared<gfx::SyntheticMetrics>()); }
    static void advance(double seconds) { fnd::RunLoop::main().advance(seconds); }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<Window> window_;
    std::shared_ptr<Recorder> recorder_;
};

} // namespace ui::alert_test
