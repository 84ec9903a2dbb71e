// Shared fixture of the widget-kit view tests: a manual clock and a visible 320 x 480 window to put
// views in, with fingers, editing and the loop cleaned up afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"

namespace zelvan {

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
    }
    void TearDown() override {
        ui::testing::TouchDriver::reset();
        window_->endEditing(ui::Force::Yes);
        window_->setHidden(true);
        fnd::RunLoop::main().runUntilIdle();
        fnd::Clock::install(nullptr);
    }
    // Taps the centre of `rect` given in `view`'s space.
    void tapIn(const ui::View& view, gfx::Rect rect) {
        ui::testing::TouchDriver::tap(window_, view.convertPointToView({rect.midX(), rect.midY()}, nullptr));
    }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ui::Window> window_;
};

} // namespace zelvan
