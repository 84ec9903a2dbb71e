// Shared fixture of the offer kit's widget tests: a manual clock, a visible key window, the kit's skin
// images from the bundle, and a finger that goes down, waits and lifts.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/graphics/image.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"

namespace zelvan::orvane::widget_test {

using ui::testing::TouchDriver;

inline std::vector<gfx::ImagePtr> comboImages() {
    return {gfx::Image::imageNamed("ui_combobox_pulldownmenu.png"), gfx::Image::imageNamed("ui_combobox_item.png"),
            gfx::Image::imageNamed("ui_combobox_selecteditem.png")};
}

inline std::vector<gfx::ImagePtr> scrollBarImages() {
    return {gfx::Image::imageNamed("ui_scrollbar_top.png"), gfx::Image::imageNamed("ui_scrollbar_bottom.png"),
            gfx::Image::imageNamed("ui_scrollbar_middleslider.png"), gfx::Image::imageNamed("ui_scrollbar_bar.png")};
}

// The centre of `view` in window coordinates.
inline gfx::Point centerInWindow(const ui::View& view) {
    const gfx::Rect rect = view.convertRectToView(view.bounds(), nullptr);
    return gfx::Point(rect.origin.x + rect.size.width / 2, rect.origin.y + rect.size.height / 2);
}

class WidgetTest : public ::testing::Test {
protected:
    explicit WidgetTest(gfx::Rect windowFrame = gfx::Rect(0, 0, 320, 480)) : windowFrame_(windowFrame) {}
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        window_ = ui::View::create<ui::Window>(windowFrame_);
        window_->makeKeyAndVisible();
        for (const auto& image : scrollBarImages()) {
            ASSERT_TRUE(image);
        }
        for (const auto& image : comboImages()) {
            ASSERT_TRUE(image);
        }
    }
    void TearDown() override {
        TouchDriver::reset();
        window_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        fnd::Clock::install(nullptr);
    }
    static void advance(double seconds) { fnd::RunLoop::main().advance(seconds); }

    gfx::Rect windowFrame_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<ui::Window> window_;
};

} // namespace zelvan::orvane::widget_test
